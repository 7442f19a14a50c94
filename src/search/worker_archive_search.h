#pragma once
// The per-archive step of a run done in confined worker processes, so that
// an archive that crashes, hangs or exhausts a library costs that archive
// only: it is reported as skipped ("書庫の処理中にエラーが発生しました" with
// the cause) and the run goes on. The hits such an archive reported before
// its fault are kept (see worker_pool.h).

#include <stop_token>
#include <string>
#include <vector>

#include "search/archive_searcher.h"
#include "search/run_sink.h"
#include "search/worker/worker_limits.h"
#include "search/worker/worker_pool.h"

namespace zr::search {

// The message of an archive whose worker failed; the cause follows in brackets.
inline constexpr const char *kArchiveWorkerFailedText = "書庫の処理中にエラーが発生しました";

// The job of one archive: its path, then this mark when its type is judged by content.
inline constexpr const char *kJudgeByContentMark = "by-content";
std::vector<std::string> ArchiveJob(const CandidateArchive &archive);
TypeJudgement JudgementOfJob(const std::vector<std::string> &job);

// Event kinds a worker sends for one archive.
enum WorkerEventKind : std::int64_t { kWorkerHit = 1, kWorkerProgressLine = 2, kWorkerSkipped = 3 };

// Run-ending errors a worker reports, so the run can raise the same kind.
enum WorkerFailureKind : std::int64_t {
    kWorkerOtherError = 0,
    kWorkerPatternError = 1,
    kWorkerTempError = 2,
    kWorkerEncodingError = 3,
    kWorkerMemoryError = 4,
};

// The setup texts that carry a context (and the archiver library folder) to a worker.
std::vector<std::string> EncodeSearchContext(const ArchiveSearchContext &context,
                                             const std::string &libraryFolder);
ArchiveSearchContext DecodeSearchContext(const std::vector<std::string> &texts, std::string &libraryFolder);

// The worker program beside the running program ("zrworker"), or "" when absent.
std::string DefaultWorkerProgram();

// How many archives a run searches at once by default: one per core, at most
// two (each one holds its extracted files in the work folder meanwhile).
int DefaultWorkerCount();

class WorkerArchiveSearch {
public:
    // Workers live below workRoot, one folder each, and end with this object.
    // `workers` archives are searched at once.
    WorkerArchiveSearch(const ArchiveSearchContext &context, const std::string &program,
                        const std::string &workRoot, const worker::WorkerLimits &limits, int workers = 1);

    // As ArchiveSearcher::Search: events reach sink, run-ending errors are thrown.
    ArchiveOutcome Search(const std::string &archivePath, RunSink &sink, std::stop_token stop,
                          TypeJudgement judgement = TypeJudgement::ByName);

    // Searches every archive, several at once, and hands sink each archive's
    // events in the archives' order, each archive announced by
    // OnArchiveStarted when its events are handed over, so the hits come in
    // the order of a search one archive after another. Returns true when
    // the run was stopped; the archives handed over before the stop keep
    // their hits, nothing after the first stopped archive is handed over.
    bool SearchAll(const std::vector<CandidateArchive> &archives, RunSink &sink, std::stop_token stop);

    const std::string &Confinement() const { return pool_.Confinement(); }

private:
    worker::WorkerPool pool_;
};

}  // namespace zr::search
