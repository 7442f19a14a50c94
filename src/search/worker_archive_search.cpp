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
#include "search/worker_relay.h"

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
    WorkerRelay relay(archives, sink, stop, false);
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
    WorkerRelay relay(archives, sink, stop, true);
    try {
        pool_.Run(Jobs(archives), relay, stop);
    } catch (const worker::WorkerRunError &e) {
        RaiseRunError(e);
    }
    return relay.Stopped();
}

}  // namespace zr::search
