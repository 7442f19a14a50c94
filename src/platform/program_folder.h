#pragma once
// Where the running program lives.

#include <string>

namespace zr::platform {

std::string ProgramPath();    // the running executable, empty when unknown
std::string ProgramFolder();  // its folder, without a trailing "/"

}  // namespace zr::platform
