#pragma once

#include <string>

namespace zr {

// The user's private temporary folder ($TMPDIR or /tmp, then "zurivo-<uid>"),
// without a trailing separator. It is created with mode 0700 when missing.
// Empty when it cannot be made safe: not a folder, a symbolic link, owned by
// another user or open to others.
std::string TempFolder();

}  // namespace zr
