#pragma once
// Extracting the stored file of one hit for viewing: the archive is opened,
// the entry of exactly the stored name (wildcard characters in it are plain
// characters) is extracted into an emptied staging folder, and only that
// file moves, without its folders, into the "~VIEWED" folder below the work
// folder. That folder is not emptied first, so a later file of the same name
// overwrites an earlier one, and no stored name can replace a file the work
// folder keeps for itself.
//
// The window does this in a confined worker process like the search's
// archive work, so a hostile archive costs the view, not the program: the
// worker extracts into its own folder and the file is then moved into the
// window's work folder.

#include <stop_token>
#include <string>
#include <vector>

#include "search/run_options.h"
#include "search/worker/worker_limits.h"
#include "search/worker/worker_main.h"

namespace zr::search {

enum class ViewExtractStatus {
    Extracted,     // the file is in place
    NotAnArchive,  // the archive is not recognised (the view ends silently)
    NotFound,      // no stored file matched ("未発見")
    Failed,        // the extraction failed or left no file ("解凍に失敗しました")
    Stopped,       // the user stopped it
};

struct ViewExtractResult {
    ViewExtractStatus status = ViewExtractStatus::Failed;
    std::string file;    // the extracted file when Extracted
    std::string detail;  // why a worker failed, for the log
};

inline constexpr const char *kViewedFolderName = "~VIEWED";

// destFolder + "/~VIEWED/" + the last element of the stored name ("/" or "\").
std::string ViewTargetPath(const std::string &destFolder, const std::string &storedName);

// via: the stored archives the file is inside, outermost first (see
// nested_view_extraction.h). In this process; the result's file is ViewTargetPath(destFolder, ...).
ViewExtractResult ExtractForView(const std::string &archivePath, const std::string &storedName,
                                 const std::string &destFolder, const RunSettings &settings,
                                 std::stop_token stop = {}, const std::vector<std::string> &via = {});

// In a worker process started from `program` (see DefaultWorkerProgram),
// below workFolder; the result's file is ViewTargetPath(workFolder, ...).
ViewExtractResult ExtractForViewInWorker(const std::string &archivePath, const std::string &storedName,
                                         const std::string &workFolder, const RunSettings &settings,
                                         const std::string &program, const worker::WorkerLimits &limits,
                                         std::stop_token stop = {}, const std::vector<std::string> &via = {});

// The first text of a view job, which no archive path can be.
inline constexpr const char *kViewJobTag = "\x01view";
struct ViewJobOutcome;
// The worker side: extracts into a fresh "~VIEW" folder below ownFolder and
// gives the status and the file as the job's outcome.
ViewJobOutcome RunViewJob(const std::string &archivePath, const std::string &storedName,
                          const RunSettings &settings, const std::string &ownFolder, std::stop_token stop,
                          const std::vector<std::string> &via = {});

}  // namespace zr::search
