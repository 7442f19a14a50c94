#pragma once
// Starting another program detached from this one (viewer, sibling archiver).

#include <string>
#include <string_view>
#include <vector>

namespace zr::platform {

struct LaunchResult {
    bool ok = false;
    long long pid = 0;
    std::string error;  // why it did not start
};

// arguments[0] is the program: a path, or a name looked up on $PATH.
LaunchResult StartDetached(const std::vector<std::string> &arguments, const std::string &workingFolder = {});

// Splits commandLine with the Windows rules, then StartDetached.
LaunchResult StartCommandLineDetached(std::string_view commandLine, const std::string &workingFolder = {});

}  // namespace zr::platform
