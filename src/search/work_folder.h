#pragma once
// The folders a run extracts into.

#include <string>

#include "search/run_options.h"

namespace zr::search {

inline constexpr const char *kWorkFolderName = "~GREP(";
inline constexpr const char *kExtractFolderName = "~EXTRACT";

// The window's work folder: settings.workPath (when it is an existing folder)
// or the private temporary folder, + "/~GREP(", created when missing.
// Throws ETempError.
std::string GetWorkFolder(const RunSettings &settings);

// The window's start: GetWorkFolder, after removing a folder left behind by
// a window that was killed (its owner, noted in the folder, no longer runs;
// a folder of a live window is kept). Notes this process as the owner.
// Throws ETempError.
std::string ClaimWorkFolder(const RunSettings &settings);

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
