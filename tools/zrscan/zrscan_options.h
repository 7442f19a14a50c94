#pragma once
// Command line of zrscan: zrscan [--fuzzy] [--count] [--utf8] [--encoding=NAME] PATTERN FILE...

#include "regex/text_encoding.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace zr::tools {

struct ZrScanOptions {
    bool fuzzy = false;  // expand the pattern with the fuzzy-character table
    bool count = false;  // print FILE:COUNT instead of the lines
    bool utf8 = false;   // print lines converted to UTF-8 instead of raw CP932
    regex::TEncodingChoice encoding = regex::TEncodingChoice::ecAuto;  // how files are read
    std::string pattern;                                               // UTF-8, as given
    std::vector<std::string> files;
};

class ZrScanUsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr const char *kZrScanUsage =
    "usage: zrscan [--fuzzy] [--count] [--utf8] "
    "[--encoding=auto|cp932|utf-8|utf-16|euc-jp|iso-2022-jp] PATTERN FILE...";

// Options come before PATTERN; "--" ends them so a pattern may start with "-".
ZrScanOptions ParseZrScanArguments(const std::vector<std::string> &args);

}  // namespace zr::tools
