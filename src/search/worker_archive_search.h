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
    ArchiveOutcome Search(const std::string &archivePath, RunSink &sink, std::stop_token stop);

    // Searches every archive, several at once, and hands sink each archive's
    // events in the archives' order, each archive announced by
    // OnArchiveStarted when its events are handed over, so the hits come in
    // the order of a search one archive after another. Returns true when
    // the run was stopped; the archives handed over before the stop keep
    // their hits, nothing after the first stopped archive is handed over.
    bool SearchAll(const std::vector<std::string> &archives, RunSink &sink, std::stop_token stop);

    const std::string &Confinement() const { return pool_.Confinement(); }

private:
    worker::WorkerPool pool_;
};

}  // namespace zr::search
