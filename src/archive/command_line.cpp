#include "archive/command_line.h"

namespace zr::archive {

std::string QuoteForCommand(std::string_view text)
{
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

TCommandLine &TCommandLine::Add(std::string_view piece)
{
    if (piece.empty())
        return *this;
    text_ += piece;
    if (text_.back() != ' ')
        text_ += ' ';
    return *this;
}

TCommandLine &TCommandLine::AddQuoted(std::string_view piece)
{
    if (piece.empty())
        return *this;
    return Add(QuoteForCommand(piece));
}

}  // namespace zr::archive
