// zrworker: the worker program of a search. It searches the archives the run
// sends one by one (detect, list, extract, scan) and reports hits, progress
// lines and skips back through its pipe, confined to its own work folder.
#include <cstdlib>
#include <memory>

#include "archive/archiver_library.h"
#include "regex/scanner_error.h"
#include "search/archive_searcher.h"
#include "search/search_errors.h"
#include "search/view_extraction.h"
#include "search/work_folder.h"
#include "search/worker/worker_main.h"
#include "search/worker_archive_search.h"

namespace {

using namespace zr::search;
using zr::search::worker::JobContext;

class EventSink final : public RunSink {
public:
    explicit EventSink(JobContext &context) : context_(context) {}
    void OnProgressLine(const std::string &text) override { context_.Emit(kWorkerProgressLine, {text}); }
    void OnHit(const THitRecord &hit) override
    {
        std::vector<std::string> texts = {hit.ArchivePath, hit.StoredName, hit.LineText};
        std::vector<std::int64_t> numbers = {hit.LineNo};
        for (const auto &sub : hit.Substitutes) {
            texts.push_back(sub.Original);
            numbers.push_back(static_cast<std::int64_t>(sub.Offset));
        }
        context_.Emit(kWorkerHit, texts, numbers);
    }
    void OnArchiveSkipped(const std::string &path, SkipReason reason, const std::string &detail) override
    {
        context_.Emit(kWorkerSkipped, {path, detail}, {static_cast<std::int64_t>(reason)});
    }

private:
    JobContext &context_;
};

class ArchiveJobs final : public worker::JobHandler {
public:
    void Setup(const std::vector<std::string> &setup) override
    {
        std::string libraryFolder;
        ArchiveSearchContext context = DecodeSearchContext(setup, libraryFolder);
        if (!libraryFolder.empty())
            zr::archive::SetLibraryFolder(libraryFolder);
        // Everything this worker writes stays in its own folder.
        const char *own = std::getenv("TMPDIR");
        context.workFolder = own ? own : "";
        context.extractFolder = ExtractFolderName(context.workFolder);
        setupError_.clear();
        try {
            PrepareExtractFolder(context.extractFolder);
        } catch (const std::exception &e) {
            setupError_ = e.what();
        }
        searcher_ = std::make_unique<ArchiveSearcher>(std::move(context));
    }

    void Run(const std::vector<std::string> &job, JobContext &context, std::stop_token stop) override
    {
        if (!setupError_.empty())
            return context.Fail(setupError_, {kWorkerTempError});
        // The window's view of one hit extracts a single stored file.
        if (IsViewJob(job))
            return RunViewJob(job, searcher_->Context().settings, searcher_->Context().workFolder, context,
                              stop);
        EventSink sink(context);
        try {
            const ArchiveOutcome outcome = searcher_->Search(job.at(0), sink, stop, JudgementOfJob(job));
            context.SetOutcome({}, {static_cast<std::int64_t>(outcome.status),
                                    static_cast<std::int64_t>(outcome.skipReason), outcome.hits});
        } catch (const zr::regex::ERegExpParser &e) {
            context.Fail(e.what(), {kWorkerPatternError, static_cast<std::int64_t>(e.Position())});
        } catch (const ETempError &e) {
            context.Fail(e.what(), {kWorkerTempError});
        } catch (const ESearchTextEncoding &e) {
            context.Fail(e.what(), {kWorkerEncodingError});
        } catch (const EMemoryAllocate &e) {
            context.Fail(e.what(), {kWorkerMemoryError});
        }
    }

private:
    std::unique_ptr<ArchiveSearcher> searcher_;
    std::string setupError_;
};

}  // namespace

int main(int argc, char **argv)
{
    ArchiveJobs jobs;
    return zr::search::worker::RunWorker(jobs, argc, argv);
}
