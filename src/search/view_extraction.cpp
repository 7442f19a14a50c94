#include "search/view_extraction.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "archive/archive_control.h"
#include "archive/archiver_library.h"
#include "search/extraction_helpers.h"
#include "search/extraction_setup.h"
#include "search/nested_view_extraction.h"
#include "search/work_folder.h"
#include "search/worker_archive_search.h"
#include "util/folder_delete.h"
#include "search/worker_messages.h"
#include "util/path_names.h"

namespace zr::search {

using namespace zr::archive;

namespace {

// The worker folders of a view, apart from those of a search still winding down.
constexpr const char *kViewWorkersFolder = "~VIEWWORK";
constexpr const char *kWorkerViewFolder = "~VIEW";
// Emptied before every extraction: what the library writes lands here, and
// only the one file asked for moves on.
constexpr const char *kStagingFolder = "~VIEWSTAGE";

// The listing pattern that finds the name: a double quote cannot travel in
// the quoted list, so it is matched by "?" (the exact name is picked after).
std::string ListingPatternFor(const std::string &storedName)
{
    std::string pattern = storedName;
    std::replace(pattern.begin(), pattern.end(), '"', '?');
    return QuoteIfSpaced(pattern);
}

// The staging folder goes with whatever else the library wrote there.
class ScopedFolderRemoval {
public:
    explicit ScopedFolderRemoval(std::string path) : path_(std::move(path)) {}
    ~ScopedFolderRemoval() { DeleteFolderTree(path_, true); }
    ScopedFolderRemoval(const ScopedFolderRemoval &) = delete;
    ScopedFolderRemoval &operator=(const ScopedFolderRemoval &) = delete;

private:
    std::string path_;
};

// Names as the listing gives them; "/" and "\\" separate folders alike.
bool SameStoredName(std::string_view listed, std::string_view wanted)
{
    const auto separator = [](char c) { return c == '/' || c == '\\'; };
    return listed.size() == wanted.size() &&
           std::equal(listed.begin(), listed.end(), wanted.begin(),
                      [&](char a, char b) { return a == b || (separator(a) && separator(b)); });
}

// Moves `from` to `to`, making the viewed-files folder first.
bool MoveInto(const std::string &from, const std::string &to, std::string &error)
{
    const std::string folder = std::filesystem::path(to).parent_path().string();
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        error = std::strerror(errno);
        return false;
    }
    if (std::rename(from.c_str(), to.c_str()) != 0) {
        error = std::strerror(errno);
        return false;
    }
    return true;
}

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
    if (!MoveInto(extracted, target, result.detail)) {
        result.status = ViewExtractStatus::Failed;
        return result;
    }
    result.file = target;
    return result;
}

}  // namespace

std::string ViewTargetPath(const std::string &destFolder, const std::string &storedName)
{
    return AppendPathSeparator(AppendPathSeparator(destFolder) + kViewedFolderName) +
           FileNamePart(storedName);
}

ViewExtractResult ExtractForView(const std::string &archivePath, const std::string &storedName,
                                 const std::string &destFolder, const RunSettings &settings,
                                 std::stop_token stop, const std::vector<std::string> &via)
{
    if (!via.empty()) {
        const std::string target = ViewTargetPath(destFolder, storedName);
        ::mkdir(std::filesystem::path(target).parent_path().c_str(), 0700);
        return ExtractNestedForView(archivePath, via, storedName, target, destFolder, stop);
    }
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
    control.ListFiles(ListingPatternFor(storedName));
    // The pattern may match more ("*" and "?" are wildcards to the library):
    // only the entry of exactly this name is taken.
    std::vector<const TArchiveItem *> items;
    for (int i = 0; i < control.Count(); ++i)
        if (SameStoredName(control.Items(i)->FileName(), storedName)) {
            items.push_back(control.Items(i));
            break;
        }
    if (items.empty())
        return {ViewExtractStatus::NotFound, {}, {}};

    const std::string staging = AppendPathSeparator(destFolder) + kStagingFolder;
    try {
        PrepareExtractFolder(staging);
    } catch (const std::exception &e) {
        return {ViewExtractStatus::Failed, {}, e.what()};
    }
    const ScopedFolderRemoval stagingRemoval(staging);
    TArchiveStrings list(control.OptionsFor(control.ArchiveType()), MakeResponseFileName());
    const ScopedFileRemoval responseFile(list.ResponseFileName);
    BuildExtractList(control, items, list);
    list.SetDestDirectory(staging);
    ConfigureExtraction(control, staging, settings, false, oeWrite);
    const int result = control.Extract(staging, list);
    if (stop.stop_requested())
        return {ViewExtractStatus::Stopped, {}, {}};
    const std::string extracted = AppendPathSeparator(staging) + FileNamePart(storedName);
    if (result != 0 || !IsRegularFile(extracted))
        return {ViewExtractStatus::Failed, {}, {}};
    const std::string target = ViewTargetPath(destFolder, storedName);
    std::string error;
    if (!MoveInto(extracted, target, error))
        return {ViewExtractStatus::Failed, {}, error};
    return {ViewExtractStatus::Extracted, target, {}};
}

ViewExtractResult ExtractForViewInWorker(const std::string &archivePath, const std::string &storedName,
                                         const std::string &workFolder, const RunSettings &settings,
                                         const std::string &program, const worker::WorkerLimits &limits,
                                         std::stop_token stop, const std::vector<std::string> &via)
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
        pool.Run({EncodeWorkerJob(ViewJob{archivePath, storedName, via})}, events, stop);
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
                          const RunSettings &settings, const std::string &ownFolder, std::stop_token stop,
                          const std::vector<std::string> &via)
{
    const std::string folder = AppendPathSeparator(ownFolder) + kWorkerViewFolder;
    try {
        PrepareExtractFolder(folder);
    } catch (const std::exception &e) {
        return {ViewExtractStatus::Failed, {}, e.what()};
    }
    const ViewExtractResult result = ExtractForView(archivePath, storedName, folder, settings, stop, via);
    return {result.status, result.file, result.detail};
}

}  // namespace zr::search
