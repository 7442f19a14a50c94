#pragma once
// The harnesses' private scratch folder: files they hand to code that reads
// paths, and folders that code extracts into. One per process, removed at exit.

#include <string>
#include <string_view>
#include <vector>

namespace zr::fuzz {

// The folder itself, made on first use below $TMPDIR (or /tmp).
const std::string &ScratchRoot();

// Writes `bytes` to <root>/<name> (replacing it) and returns the path.
std::string WriteScratchFile(const std::string &name, std::string_view bytes);

// Removes everything below `folder`, keeping the folder.
void EmptyFolder(const std::string &folder);

// Every entry below `folder` as "relative/path" plus a type letter
// ('f' file, 'd' folder, 'l' link, 'o' anything else, '?' too deep for a
// path to name), sorted.
std::vector<std::string> ListTree(const std::string &folder);

}  // namespace zr::fuzz
