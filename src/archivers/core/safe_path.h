#pragma once
// Turns a stored name into a path below the destination folder, or refuses
// it: ".." elements, absolute names, drive prefixes and device names never
// reach the file system.

#include <string>
#include <string_view>
#include <vector>

namespace zr::archivers {

struct SafePath {
    bool ok = false;
    std::vector<std::string> components;  // folders then the file name; empty for "."
    std::string refusal;                  // why it was refused
};

// `keepFolders` false keeps only the last element.
SafePath MakeSafeRelativePath(std::string_view storedUtf8Name, bool keepFolders);

bool IsDeviceName(std::string_view element);

}  // namespace zr::archivers
