#include "search/view_extraction.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "archive/archive_control.h"
#include "archive/archiver_library.h"
#include "search/extraction_helpers.h"
#include "search/extraction_setup.h"
#include "search/work_folder.h"
#include "search/worker_archive_search.h"
#include "search/worker_messages.h"
#include "util/path_names.h"

namespace zr::search {

using namespace zr::archive;

namespace {

// The worker folders of a view, apart from those of a search still winding down.
constexpr const char *kViewWorkersFolder = "~VIEWWORK";
constexpr const char *kWorkerViewFolder = "~VIEW";

// A path the worker reported must lie inside the folder it was given.
bool InsideFolder(const std::string &path, const std::string &folder)
{
    const std::string prefix = AppendPathSeparator(folder);
    if (path.compare(0, prefix.size(), prefix) != 0)
        return false;
    for (const auto &part : std::filesystem::path(path.substr(prefix.size())))
        if (part == "..")
            return false;
    return true;
}

class ViewJobEvents final : public worker::JobEvents {
public:
    void OnEvent(int, const worker::Message &) override {}
    void OnEnd(int, const worker::JobEnd &end) override
    {
        ended = true;
        this->end = end;
    }
    bool ended = false;
    worker::JobEnd end;
};

ViewExtractResult FromWorker(const worker::JobEnd &end, const std::string &workersFolder,
                             const std::string &target)
{
    ViewExtractResult result;
    switch (end.kind) {
    case worker::JobEndKind::kStopped:
        result.status = ViewExtractStatus::Stopped;
        return result;
    case worker::JobEndKind::kFailed:
        result.status = ViewExtractStatus::Failed;
        result.detail = std::string(kArchiveWorkerFailedText) + " (" + end.reason + ")";
        return result;
    case worker::JobEndKind::kDone:
        break;
    }
    const auto outcome = DecodeViewJobOutcome({end.done.texts, end.done.numbers});
    if (!outcome) {
        result.status = ViewExtractStatus::Failed;
        return result;
    }
    result.status = outcome->status;
    result.detail = outcome->detail;
    if (result.status != ViewExtractStatus::Extracted)
        return result;
    const std::string &extracted = outcome->file;
    if (!InsideFolder(extracted, workersFolder) || !IsRegularFile(extracted)) {
        result.status = ViewExtractStatus::Failed;
        return result;
    }
    if (std::rename(extracted.c_str(), target.c_str()) != 0) {
        result.status = ViewExtractStatus::Failed;
        result.detail = std::strerror(errno);
        return result;
    }
    result.file = target;
    return result;
}

}  // namespace

std::string ViewTargetPath(const std::string &destFolder, const std::string &storedName)
{
    return AppendPathSeparator(destFolder) + FileNamePart(storedName);
}

ViewExtractResult ExtractForView(const std::string &archivePath, const std::string &storedName,
                                 const std::string &destFolder, const RunSettings &settings,
                                 std::stop_token stop)
{
    TArchiveControl control(TControlSurface::Plain);
    control.SetAutomatic(false);
    BindRunEvents(control, settings, stop);
    control.SetTemporarydirectory(destFolder);
    control.LhaOptions().ErrorMessage = true;
    control.LhaOptions().IgnoreBrokenHeader = true;
    control.SetArchiveFile(archivePath);
    const ScopedFileRemoval cabinet(control.ArchiveType() == atCab ? control.CabOptions().CutOutCabinet
                                                                   : std::string());
    if (control.ArchiveType() == atNone)
        return {ViewExtractStatus::NotAnArchive, {}, {}};
    // The listing takes a blank-separated list: a name with blanks is quoted.
    control.ListFiles(QuoteIfSpaced(storedName));
    if (control.Count() == 0)
        return {ViewExtractStatus::NotFound, {}, {}};

    std::vector<const TArchiveItem *> items;
    for (int i = 0; i < control.Count(); ++i)
        items.push_back(control.Items(i));
    TArchiveStrings list(control.OptionsFor(control.ArchiveType()), MakeResponseFileName());
    const ScopedFileRemoval responseFile(list.ResponseFileName);
    BuildExtractList(control, items, list);
    list.SetDestDirectory(destFolder);
    ConfigureExtraction(control, destFolder, settings, false, oeWrite);
    const int result = control.Extract(destFolder, list);
    if (stop.stop_requested())
        return {ViewExtractStatus::Stopped, {}, {}};
    const std::string target = ViewTargetPath(destFolder, storedName);
    if (result != 0 || !IsRegularFile(target))
        return {ViewExtractStatus::Failed, {}, {}};
    return {ViewExtractStatus::Extracted, target, {}};
}

ViewExtractResult ExtractForViewInWorker(const std::string &archivePath, const std::string &storedName,
                                         const std::string &workFolder, const RunSettings &settings,
                                         const std::string &program, const worker::WorkerLimits &limits,
                                         std::stop_token stop)
{
    ArchiveSearchContext context;
    context.settings = settings;
    worker::WorkerPoolOptions options;
    options.program = program;
    options.setup = EncodeWorkerSetup({context, archive::LibraryFolder()});
    options.workRoot = AppendPathSeparator(workFolder) + kViewWorkersFolder;
    options.workers = 1;
    options.limits = limits;
    const std::string target = ViewTargetPath(workFolder, storedName);

    ViewExtractResult result;
    try {
        worker::WorkerPool pool(options);
        ViewJobEvents events;
        pool.Run({EncodeWorkerJob(ViewJob{archivePath, storedName})}, events, stop);
        if (events.ended)
            result = FromWorker(events.end, options.workRoot, target);
        else
            result.status = ViewExtractStatus::Stopped;
    } catch (const std::exception &e) {
        // The worker could not start or reported an error of its own.
        result.status = ViewExtractStatus::Failed;
        result.detail = e.what();
    }
    std::error_code ignored;
    std::filesystem::remove_all(options.workRoot, ignored);
    return result;
}

ViewJobOutcome RunViewJob(const std::string &archivePath, const std::string &storedName,
                          const RunSettings &settings, const std::string &ownFolder, std::stop_token stop)
{
    const std::string folder = AppendPathSeparator(ownFolder) + kWorkerViewFolder;
    try {
        PrepareExtractFolder(folder);
    } catch (const std::exception &e) {
        return {ViewExtractStatus::Failed, {}, e.what()};
    }
    const ViewExtractResult result = ExtractForView(archivePath, storedName, folder, settings, stop);
    return {result.status, result.file, result.detail};
}

}  // namespace zr::search
