#include "search/worker_archive_search.h"

#include <algorithm>
#include <variant>
#include <thread>
#include <sched.h>
#include <unistd.h>

#include "archive/archiver_library.h"
#include "platform/program_folder.h"
#include "regex/scanner_error.h"
#include "search/search_errors.h"
#include "search/worker_messages.h"

namespace zr::search {

namespace {

worker::WorkerPoolOptions PoolOptions(const ArchiveSearchContext &context, const std::string &program,
                                      const std::string &workRoot, const worker::WorkerLimits &limits,
                                      int workers)
{
    worker::WorkerPoolOptions o;
    o.program = program;
    o.setup = EncodeWorkerSetup({context, archive::LibraryFolder()});
    o.workRoot = workRoot;
    o.workers = std::max(1, workers);
    o.limits = limits;
    return o;
}

// Turns the archives' worker events back into run events. The pool hands
// over the jobs' events in job order.
class Relay final : public worker::JobEvents {
public:
    Relay(const std::vector<CandidateArchive> &archives, RunSink &sink, std::stop_token stop, bool announce)
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
        // An event that does not decode is not of this program's worker: dropped.
        const std::optional<WorkerEvent> event = DecodeWorkerEvent({e.texts, e.numbers});
        if (!event)
            return;
        if (const auto *hit = std::get_if<HitEvent>(&*event))
            sink_.OnHit(hit->hit);
        else if (const auto *line = std::get_if<ProgressLineEvent>(&*event))
            sink_.OnProgressLine(line->text);
        else if (const auto *skipped = std::get_if<SkippedEvent>(&*event))
            sink_.OnArchiveSkipped(skipped->path, skipped->reason, skipped->detail);
    }

    void OnDispatched(int job) override
    {
        if (announce_ && !stopped_)
            sink_.OnArchiveDispatched(job, static_cast<int>(archives_.size()),
                                      archives_[static_cast<std::size_t>(job)].path);
    }

    void OnEnd(int job, const worker::JobEnd &end) override
    {
        if (!Enter(job))
            return;  // what comes after a stopped archive is not part of the run
        ++ended_;
        switch (end.kind) {
        case worker::JobEndKind::kDone:
            if (const auto done = DecodeArchiveJobOutcome({end.done.texts, end.done.numbers})) {
                outcome_ = done->outcome;
                stopped_ = outcome_.status == ArchiveStatus::Stopped;
            } else {
                Failed(job, "作業プロセスの応答が読めません");
            }
            break;
        case worker::JobEndKind::kStopped:
            outcome_.status = ArchiveStatus::Stopped;
            stopped_ = true;
            break;
        case worker::JobEndKind::kFailed:
            Failed(job, end.reason);
            break;
        }
    }

    // True when not every archive was searched to its end.
    bool Stopped() const { return stopped_ || ended_ < archives_.size(); }

    // The last archive's outcome; a job never started (the run was stopped
    // first) or cut by a stop counts as stopped.
    ArchiveOutcome Outcome() const { return Stopped() ? ArchiveOutcome{ArchiveStatus::Stopped} : outcome_; }

private:
    void Failed(int job, const std::string &reason)
    {
        outcome_.status = ArchiveStatus::Skipped;
        outcome_.skipReason = SkipReason::WorkerFailed;
        sink_.OnArchiveSkipped(archives_[static_cast<std::size_t>(job)].path, SkipReason::WorkerFailed,
                               std::string(kArchiveWorkerFailedText) + " (" + reason + ")");
    }

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
                                   archives_[static_cast<std::size_t>(job)].path);
        return true;
    }

    const std::vector<CandidateArchive> &archives_;
    RunSink &sink_;
    std::stop_token stop_;
    bool announce_;
    int announced_ = -1;
    std::size_t ended_ = 0;
    bool stopped_ = false;
    ArchiveOutcome outcome_;
};

std::vector<std::vector<std::string>> Jobs(const std::vector<CandidateArchive> &archives)
{
    std::vector<std::vector<std::string>> jobs;
    jobs.reserve(archives.size());
    for (const CandidateArchive &a : archives)
        jobs.push_back(EncodeWorkerJob(ArchiveJob{a.path, a.judgement}));
    return jobs;
}

[[noreturn]] void RaiseRunError(const worker::WorkerRunError &e)
{
    const RunFailure failure = DecodeRunFailure({{e.what()}, e.Numbers()});
    switch (failure.kind) {
    case RunFailureKind::Pattern:
        throw regex::ERegExpParser(failure.text, failure.patternPosition);
    case RunFailureKind::Temp:
        throw ETempError(failure.text);
    case RunFailureKind::Encoding:
        throw ESearchTextEncoding(failure.text);
    case RunFailureKind::Memory:
        throw EMemoryAllocate();
    case RunFailureKind::Other:
        break;
    }
    throw std::runtime_error(failure.text);
}

}  // namespace

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
                                           std::stop_token stop, TypeJudgement judgement)
{
    const std::vector<CandidateArchive> archives{{archivePath, judgement}};
    Relay relay(archives, sink, stop, false);
    try {
        pool_.Run(Jobs(archives), relay, stop);
    } catch (const worker::WorkerRunError &e) {
        RaiseRunError(e);
    }
    return relay.Outcome();
}

bool WorkerArchiveSearch::SearchAll(const std::vector<CandidateArchive> &archives, RunSink &sink,
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
