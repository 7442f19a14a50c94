#pragma once
// Looking a program up the way a shell does.

#include <string>
#include <string_view>

namespace zr::platform {

// A name with a "/" is taken as a path; otherwise each folder of searchPath
// (":"-separated; empty entries are skipped rather than meaning the current
// folder) is tried. Returns the executable regular file found, or empty.
std::string FindExecutableIn(std::string_view name, std::string_view searchPath);

// FindExecutableIn with $PATH.
std::string FindExecutableOnPath(std::string_view name);

}  // namespace zr::platform
