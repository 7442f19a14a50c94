#pragma once
// The per-user private temporary folder: $TMPDIR (when absolute) or /tmp,
// then "zurivo-<uid>". It must be a real folder (not a symbolic link) owned by
// the user with no access for group or others; anything else is refused, so
// no other user can plant or read the program's work files.

#include <string>

namespace zr::platform {

struct TempFolderResult {
    std::string path;   // the folder, also when refused
    std::string error;  // empty when the folder can be used
    bool Ok() const { return error.empty(); }
};

TempFolderResult PrivateTempFolder();
// The same rules below an explicit base folder.
TempFolderResult PrivateTempFolderIn(const std::string &base);

// $TMPDIR when it is an absolute path, else "/tmp".
std::string SystemTempBase();

}  // namespace zr::platform
