#pragma once
// Handing archives to the sibling archiver ZiZiv: a list file of their paths
// and the command line that names it.

#include <optional>
#include <string>
#include <vector>

namespace zr {

// A new file "ZRW..." in folder (the private temporary folder when empty),
// one path a line, each followed by CR LF; it is left for the receiver. A
// path holding a line break cannot be written as a line and is left out.
// Nothing when the file cannot be made or written (no half file is left).
std::optional<std::string> WriteArchiveListFile(const std::vector<std::string> &paths,
                                                const std::string &folder = {});

// "ZiZiv.exe" on the search path as written, then without ".exe"; empty when absent.
std::string FindZiZiv();

// program + " /Da Grep! @" + list file + " /Send", each part one argument.
std::string ZiZivCommandLine(const std::string &program, const std::string &listFile);

// The action's hint, which says so when ZiZiv cannot be found.
std::string ZiZivActionHint(bool found);

}  // namespace zr
