#pragma once
// What one extraction command asks for, whatever the library's switches.

#include <string>
#include <vector>

namespace zr::archivers {

enum class OverwritePolicy {
    kAsk,  // no dialog here: existing files are kept and logged
    kAlways,
    kNever,
    kIfNewer,  // only when the stored file is newer
};

struct ExtractRequest {
    std::string archive;
    std::string destination;         // empty = the current folder
    std::vector<std::string> names;  // stored names or wildcards; empty = all
    bool keepFolders = true;
    OverwritePolicy overwrite = OverwritePolicy::kAsk;
    bool silent = false;
    bool tolerateBrokenHeaders = false;
};

}  // namespace zr::archivers
