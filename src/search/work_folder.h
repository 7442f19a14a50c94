#pragma once
// The folders a run extracts into.

#include <string>

#include "search/run_options.h"

namespace zr::search {

inline constexpr const char *kWorkFolderName = "~GREP(";
inline constexpr const char *kExtractFolderName = "~EXTRACT";

// The window's work folder: below settings.workPath (when it is an existing
// folder) or the private temporary folder, "~GREP(" - or "~GREP(2",
// "~GREP(3"... when a live window of another process holds it. The folder is
// claimed for this process's lifetime (a lock on its "~OWNER" file), and
// whatever a window that ended left in it is removed on claiming. The same
// process gets the same folder on every call. Throws ETempError naming the
// folder and the reason.
std::string GetWorkFolder(const RunSettings &settings);
std::string ClaimWorkFolder(const RunSettings &settings);

// True while a process holds the work folder (its owner file is locked).
bool IsWorkFolderInUse(const std::string &folder);

// workFolder + "/~EXTRACT".
std::string ExtractFolderName(const std::string &workFolder);

// Makes sure the extraction folder exists and is empty. Throws ETempError.
void PrepareExtractFolder(const std::string &extractFolder);

// A work folder that belongs to this process alone: a fresh folder below the
// private temporary folder, removed with everything in it by the destructor.
// Throws ETempError when it cannot be made.
class ProcessWorkFolder {
public:
    ProcessWorkFolder();
    ~ProcessWorkFolder();
    ProcessWorkFolder(const ProcessWorkFolder &) = delete;
    ProcessWorkFolder &operator=(const ProcessWorkFolder &) = delete;

    const std::string &Path() const { return path_; }
    // Removes the folder now (also safe to call twice).
    void Remove();

private:
    std::string path_;
};

}  // namespace zr::search
