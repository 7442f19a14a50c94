#pragma once
// Splits a console-archiver command line into tokens. Double quotes group
// blanks into one token and a doubled quote inside them is a literal quote,
// as the caller writes names. Response files hold one (quoted) name a line.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zr::archivers {

struct CommandToken {
    std::string text;
    bool quoted = false;  // some part was inside double quotes
};

std::vector<CommandToken> TokenizeCommandLine(std::string_view commandLine);

// Reads a response file: one name per line (CR LF or LF), enclosed in double
// quotes or not; blank lines are skipped. Nothing when it cannot be read.
std::optional<std::vector<std::string>> ReadResponseFile(const std::string &path);

// One line of a response file, with its quotes removed.
std::string UnquoteResponseLine(std::string_view line);

}  // namespace zr::archivers
