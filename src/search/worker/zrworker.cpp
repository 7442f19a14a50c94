// zrworker: the worker program of a search. It searches the archives the run
// sends one by one (detect, list, extract, scan) and reports hits, progress
// lines and skips back through its pipe, confined to its own work folder.
#include <cstdlib>
#include <memory>
#include <optional>
#include <unistd.h>
#include <variant>

#include "archive/archiver_library.h"
#include "platform/locale_setup.h"
#include "regex/scanner_error.h"
#include "search/archive_searcher.h"
#include "search/search_errors.h"
#include "search/view_extraction.h"
#include "search/work_folder.h"
#include "search/worker/worker_main.h"
#include "search/worker_archive_search.h"
#include "search/worker_messages.h"

namespace {

using namespace zr::search;
using zr::search::worker::JobContext;

class EventSink final : public RunSink {
public:
    explicit EventSink(JobContext &context) : context_(context) {}
    void OnProgressLine(const std::string &text) override { Emit(ProgressLineEvent{text}); }
    void OnHit(const THitRecord &hit) override { Emit(HitEvent{hit}); }
    void OnArchiveSkipped(const std::string &path, SkipReason reason, const std::string &detail) override
    {
        Emit(SkippedEvent{path, reason, detail});
    }

private:
    void Emit(const WorkerEvent &event)
    {
        WorkerPayload payload = EncodeWorkerEvent(event);
        context_.Emit(std::move(payload.texts), std::move(payload.numbers));
    }

    JobContext &context_;
};

class ArchiveJobs final : public worker::JobHandler {
public:
    void Setup(const std::vector<std::string> &texts) override
    {
        std::optional<WorkerSetup> setup = DecodeWorkerSetup(texts);
        setupFailure_.reset();
        if (!setup) {
            setupFailure_ = RunFailure{RunFailureKind::Other, "作業プロセスが検索の設定を読めませんでした"};
            setup.emplace();
        }
        ArchiveSearchContext &context = setup->context;
        if (!setup->libraryFolder.empty())
            zr::archive::SetLibraryFolder(setup->libraryFolder);
        // Everything this worker writes stays in its own folder.
        const char *own = std::getenv("TMPDIR");
        context.workFolder = own ? own : "";
        context.extractFolder = ExtractFolderName(context.workFolder);
        try {
            PrepareExtractFolder(context.extractFolder);
        } catch (const std::exception &e) {
            if (!setupFailure_)
                setupFailure_ = RunFailure{RunFailureKind::Temp, e.what()};
        }
        searcher_ = std::make_unique<ArchiveSearcher>(std::move(setup->context));
    }

    // Packs are written by the worker that read the archive.
    std::string SharedFolder() const override
    {
        const std::string &folder = searcher_->Context().settings.cache.folder;
        return ::access(folder.c_str(), W_OK) == 0 ? folder : std::string();
    }

    void Run(const std::vector<std::string> &texts, JobContext &context, std::stop_token stop) override
    {
        if (setupFailure_)
            return Fail(context, *setupFailure_);
        const std::optional<WorkerJob> job = DecodeWorkerJob(texts);
        if (!job)
            return Fail(context, {RunFailureKind::Other, "作業プロセスが検索の指示を読めませんでした"});
        // The window's view of one hit extracts a single stored file.
        if (const auto *view = std::get_if<ViewJob>(&*job)) {
            const ArchiveSearchContext &shared = searcher_->Context();
            SetOutcome(context, EncodeViewJobOutcome(RunViewJob(view->archivePath, view->storedName,
                                                                shared.settings, shared.workFolder, stop,
                                                                view->via)));
            return;
        }
        EventSink sink(context);
        try {
            const auto &archive = std::get<ArchiveJob>(*job);
            const ArchiveOutcome outcome =
                searcher_->Search(archive.archivePath, sink, stop, archive.judgement);
            SetOutcome(context, EncodeArchiveJobOutcome({outcome}));
        } catch (const zr::regex::ERegExpParser &e) {
            Fail(context, {RunFailureKind::Pattern, e.what(), e.Position()});
        } catch (const ETempError &e) {
            Fail(context, {RunFailureKind::Temp, e.what()});
        } catch (const ESearchTextEncoding &e) {
            Fail(context, {RunFailureKind::Encoding, e.what()});
        } catch (const EMemoryAllocate &e) {
            Fail(context, {RunFailureKind::Memory, e.what()});
        }
    }

private:
    static void SetOutcome(JobContext &context, WorkerPayload outcome)
    {
        context.SetOutcome(std::move(outcome.texts), std::move(outcome.numbers));
    }
    static void Fail(JobContext &context, const RunFailure &failure)
    {
        WorkerPayload payload = EncodeRunFailure(failure);
        context.Fail(payload.texts.at(0), std::move(payload.numbers));
    }

    std::unique_ptr<ArchiveSearcher> searcher_;
    std::optional<RunFailure> setupFailure_;
};

}  // namespace

int main(int argc, char **argv)
{
    zr::platform::PinLocalTimeZone();
    ArchiveJobs jobs;
    return zr::search::worker::RunWorker(jobs, argc, argv);
}
