#pragma once
// Runs the pattern engine over files the way the search application does and
// prints what it reports: how the engine is checked and measured from outside.

#include "zrscan_options.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace zr::tools {

enum ZrScanExit { kZrScanFound = 0, kZrScanNothing = 1, kZrScanError = 2 };

// Prints FILE:LINENO:LINE per reported line, or FILE:COUNT per file with
// --count. Errors go to err; a file that cannot be read does not stop the
// others but makes the result kZrScanError.
int RunZrScan(const ZrScanOptions &options, std::ostream &out, std::ostream &err);

// The whole program: parses the arguments (without the program name) and runs.
int ZrScanMain(const std::vector<std::string> &args, std::ostream &out, std::ostream &err);

}  // namespace zr::tools
