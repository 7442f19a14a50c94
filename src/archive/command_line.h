#pragma once
// Builds a command line for an archiver library: every piece is followed by
// one blank unless it already ends in one; empty pieces add nothing.

#include <string>
#include <string_view>

namespace zr::archive {

class TCommandLine {
public:
    TCommandLine &Add(std::string_view piece);
    // Adds the piece enclosed in double quotes, inner double quotes doubled.
    TCommandLine &AddQuoted(std::string_view piece);
    const std::string &Text() const { return text_; }

private:
    std::string text_;
};

// «a"b» -> «"a""b"».
std::string QuoteForCommand(std::string_view text);

}  // namespace zr::archive
