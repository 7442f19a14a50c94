#pragma once
// Counts how often this process opens one file, the archiver libraries
// included: the test program puts its own open functions in front of the C
// library's (it exports them, so the loaded libraries bind to them).

#include <string>

namespace zr::archivers::test {

// Starts counting the opens of `path` (the name exactly as passed to open).
void WatchOpens(const std::string &path);
int OpensSinceWatch();

}  // namespace zr::archivers::test
