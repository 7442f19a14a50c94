#pragma once
// Where the running program lives, and where it may write its own files.

#include <string>

namespace zr::archive {

// Folder of the running executable, without a trailing separator.
std::string ProgramFolder();

// The per-user private temporary folder ($TMPDIR or /tmp, then
// "zurivo-<uid>", mode 0700, owned by the user, not a link); created when
// missing. Empty when it cannot be made safe.
std::string PrivateTempFolder();

// "Response.txt" in the program's folder, or in the private temporary folder
// when the program's folder is not writable (an installed program).
std::string DefaultResponseFileName();

}  // namespace zr::archive
