#include "search/worker_archive_search.h"

#include <algorithm>
#include <thread>
#include <sched.h>
#include <unistd.h>

#include "archive/archiver_library.h"
#include "platform/program_folder.h"
#include "regex/scanner_error.h"
#include "search/search_errors.h"

namespace zr::search {

namespace {

std::string Flag(bool b) { return b ? "1" : "0"; }

worker::WorkerPoolOptions PoolOptions(const ArchiveSearchContext &context, const std::string &program,
                                      const std::string &workRoot, const worker::WorkerLimits &limits,
                                      int workers)
{
    worker::WorkerPoolOptions o;
    o.program = program;
    o.setup = EncodeSearchContext(context, archive::LibraryFolder());
    o.workRoot = workRoot;
    o.workers = std::max(1, workers);
    o.limits = limits;
    return o;
}

// Turns the archives' worker events back into run events. The pool hands
// over the jobs' events in job order.
class Relay final : public worker::JobEvents {
public:
    Relay(const std::vector<std::string> &archives, RunSink &sink, std::stop_token stop, bool announce)
        : archives_(archives), sink_(sink), stop_(std::move(stop)), announce_(announce)
    {
    }

    void OnEvent(int job, const worker::Message &e) override
    {
        // Events come as the archive is searched, or in one batch when an
        // archive before it took longer; a stop keeps what was passed on
        // before it.
        if (!Enter(job) || stop_.stop_requested()) {
            stopped_ = true;
            return;
        }
        const auto text = [&](std::size_t i) { return i < e.texts.size() ? e.texts[i] : std::string(); };
        const auto number = [&](std::size_t i) { return i < e.numbers.size() ? e.numbers[i] : 0; };
        switch (number(0)) {
        case kWorkerHit: {
            THitRecord hit{text(0), text(1), static_cast<std::int32_t>(number(1)), text(2)};
            // Then the characters of a converted file behind its geta marks.
            for (std::size_t k = 3; k < e.texts.size(); ++k) {
                const std::int64_t offset = number(k - 1);
                if (offset >= 0 && static_cast<std::size_t>(offset) + 2 <= hit.LineText.size())
                    hit.Substitutes.push_back({static_cast<std::size_t>(offset), e.texts[k]});
            }
            sink_.OnHit(hit);
            break;
        }
        case kWorkerProgressLine:
            sink_.OnProgressLine(text(0));
            break;
        case kWorkerSkipped:
            sink_.OnArchiveSkipped(text(0), static_cast<SkipReason>(number(1)), text(1));
            break;
        default:
            break;
        }
    }

    void OnDispatched(int job) override
    {
        if (announce_ && !stopped_)
            sink_.OnArchiveDispatched(job, static_cast<int>(archives_.size()),
                                      archives_[static_cast<std::size_t>(job)]);
    }

    void OnEnd(int job, const worker::JobEnd &end) override
    {
        if (!Enter(job))
            return;  // what comes after a stopped archive is not part of the run
        ++ended_;
        const auto &n = end.done.numbers;
        switch (end.kind) {
        case worker::JobEndKind::kDone:
            outcome_.status = n.size() > 0 ? static_cast<ArchiveStatus>(n[0]) : ArchiveStatus::Searched;
            outcome_.skipReason = n.size() > 1 ? static_cast<SkipReason>(n[1]) : SkipReason::NotAnArchive;
            outcome_.hits = n.size() > 2 ? static_cast<int>(n[2]) : 0;
            stopped_ = outcome_.status == ArchiveStatus::Stopped;
            break;
        case worker::JobEndKind::kStopped:
            outcome_.status = ArchiveStatus::Stopped;
            stopped_ = true;
            break;
        case worker::JobEndKind::kFailed:
            outcome_.status = ArchiveStatus::Skipped;
            outcome_.skipReason = SkipReason::WorkerFailed;
            sink_.OnArchiveSkipped(archives_[static_cast<std::size_t>(job)], SkipReason::WorkerFailed,
                                   std::string(kArchiveWorkerFailedText) + " (" + end.reason + ")");
            break;
        }
    }

    // True when not every archive was searched to its end.
    bool Stopped() const { return stopped_ || ended_ < archives_.size(); }

    // The last archive's outcome; a job never started (the run was stopped
    // first) or cut by a stop counts as stopped.
    ArchiveOutcome Outcome() const { return Stopped() ? ArchiveOutcome{ArchiveStatus::Stopped} : outcome_; }

private:
    // Announces a job on its first event, as the run one archive after
    // another does before starting it: not once the run is stopped.
    bool Enter(int job)
    {
        if (stopped_)
            return false;
        if (job <= announced_)
            return true;
        if (stop_.stop_requested()) {
            stopped_ = true;
            return false;
        }
        announced_ = job;
        if (announce_)
            sink_.OnArchiveStarted(job, static_cast<int>(archives_.size()),
                                   archives_[static_cast<std::size_t>(job)]);
        return true;
    }

    const std::vector<std::string> &archives_;
    RunSink &sink_;
    std::stop_token stop_;
    bool announce_;
    int announced_ = -1;
    std::size_t ended_ = 0;
    bool stopped_ = false;
    ArchiveOutcome outcome_;
};

std::vector<std::vector<std::string>> Jobs(const std::vector<std::string> &archives)
{
    std::vector<std::vector<std::string>> jobs;
    jobs.reserve(archives.size());
    for (const std::string &a : archives)
        jobs.push_back({a});
    return jobs;
}

[[noreturn]] void RaiseRunError(const worker::WorkerRunError &e)
{
    const auto &n = e.Numbers();
    switch (n.empty() ? kWorkerOtherError : n[0]) {
    case kWorkerPatternError:
        throw regex::ERegExpParser(e.what(), n.size() > 1 ? static_cast<std::size_t>(n[1]) : 0);
    case kWorkerTempError:
        throw ETempError(e.what());
    case kWorkerEncodingError:
        throw ESearchTextEncoding(e.what());
    case kWorkerMemoryError:
        throw EMemoryAllocate();
    default:
        throw std::runtime_error(e.what());
    }
}

}  // namespace

std::vector<std::string> EncodeSearchContext(const ArchiveSearchContext &c, const std::string &libraryFolder)
{
    const RunSettings &s = c.settings;
    return {c.searchFolder,
            c.storedPattern,
            Flag(c.noText),
            c.cp932Pattern,
            Flag(c.fuzzy),
            s.workPath,
            Flag(s.silentMode),
            Flag(s.reportType1),
            Flag(s.reportType2),
            Flag(s.skipFile),
            Flag(s.ignoreBrokenHeader),
            std::to_string(s.logSizeKb),
            libraryFolder,
            std::string(regex::EncodingChoiceName(s.textEncoding))};
}

ArchiveSearchContext DecodeSearchContext(const std::vector<std::string> &t, std::string &libraryFolder)
{
    const auto text = [&](std::size_t i) { return i < t.size() ? t[i] : std::string(); };
    const auto flag = [&](std::size_t i) { return text(i) == "1"; };
    ArchiveSearchContext c;
    c.searchFolder = text(0);
    c.storedPattern = text(1);
    c.noText = flag(2);
    c.cp932Pattern = text(3);
    c.fuzzy = flag(4);
    c.settings.workPath = text(5);
    c.settings.silentMode = flag(6);
    c.settings.reportType1 = flag(7);
    c.settings.reportType2 = flag(8);
    c.settings.skipFile = flag(9);
    c.settings.ignoreBrokenHeader = flag(10);
    c.settings.logSizeKb = static_cast<std::uint32_t>(std::strtoul(text(11).c_str(), nullptr, 10));
    libraryFolder = text(12);
    c.settings.textEncoding = regex::ParseEncodingChoice(text(13)).value_or(regex::TEncodingChoice::ecAuto);
    return c;
}

int DefaultWorkerCount()
{
    // The cores this process may run on (taskset narrows them), not the machine's.
    cpu_set_t cpus;
    CPU_ZERO(&cpus);
    const int cores = ::sched_getaffinity(0, sizeof cpus, &cpus) == 0
                          ? CPU_COUNT(&cpus)
                          : static_cast<int>(std::thread::hardware_concurrency());
    return cores >= 2 ? 2 : 1;
}

std::string DefaultWorkerProgram()
{
    const std::string program = platform::ProgramFolder() + "/zrworker";
    return ::access(program.c_str(), X_OK) == 0 ? program : std::string();
}

WorkerArchiveSearch::WorkerArchiveSearch(const ArchiveSearchContext &context, const std::string &program,
                                         const std::string &workRoot, const worker::WorkerLimits &limits,
                                         int workers)
    : pool_(PoolOptions(context, program, workRoot, limits, workers))
{
}

ArchiveOutcome WorkerArchiveSearch::Search(const std::string &archivePath, RunSink &sink,
                                           std::stop_token stop)
{
    const std::vector<std::string> archives{archivePath};
    Relay relay(archives, sink, stop, false);
    try {
        pool_.Run(Jobs(archives), relay, stop);
    } catch (const worker::WorkerRunError &e) {
        RaiseRunError(e);
    }
    return relay.Outcome();
}

bool WorkerArchiveSearch::SearchAll(const std::vector<std::string> &archives, RunSink &sink,
                                    std::stop_token stop)
{
    Relay relay(archives, sink, stop, true);
    try {
        pool_.Run(Jobs(archives), relay, stop);
    } catch (const worker::WorkerRunError &e) {
        RaiseRunError(e);
    }
    return relay.Stopped();
}

}  // namespace zr::search
