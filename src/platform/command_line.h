#pragma once
// Splitting a command line into arguments with the Windows rules, so the
// command lines the program builds (and that users configure for viewers)
// mean the same here:
// - the program name ends at a blank outside double quotes; its quotes are
//   removed and backslashes are plain characters;
// - in later arguments, 2n backslashes before a quote give n backslashes and
//   the quote opens or closes quoting; 2n+1 give n backslashes and a literal
//   quote; other backslashes are plain; "" inside quotes is a literal quote.

#include <string>
#include <string_view>
#include <vector>

namespace zr::platform {

std::vector<std::string> SplitCommandLine(std::string_view line);

// The inverse for one argument: quoted (with the backslash rules) when it is
// empty or holds a blank or a quote, unchanged otherwise.
std::string QuoteCommandLineArgument(std::string_view argument);

}  // namespace zr::platform
