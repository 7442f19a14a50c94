#include "terminal_text.h"

#include <cstdio>

#include "utf8_sequence.h"

namespace zr::tools {
namespace {

void AppendEscaped(std::string &out, unsigned char byte)
{
    char escaped[5];
    std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
    out += escaped;
}

bool IsC0OrDelete(unsigned char c, LineFeeds lineFeeds)
{
    if (c == '\t' || (c == '\n' && lineFeeds == LineFeeds::Keep))
        return false;
    return c < 0x20 || c == 0x7F;
}

// U+0080 to U+009F: 0xC2 followed by 0x80 to 0x9F.
bool IsC1(std::string_view text, std::size_t i)
{
    return static_cast<unsigned char>(text[i]) == 0xC2 && static_cast<unsigned char>(text[i + 1]) <= 0x9F;
}

}  // namespace

std::string TerminalSafe(std::string_view text, LineFeeds lineFeeds)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = ValidUtf8SequenceLength(text, i);
        if (length == 0) {
            // Kept: a Shift_JIS name shows with the bytes it has, and a UTF-8
            // terminal takes a stray byte as no command.
            out += text[i++];
        } else if ((length == 1 && IsC0OrDelete(static_cast<unsigned char>(text[i]), lineFeeds)) ||
                   (length == 2 && IsC1(text, i))) {
            for (std::size_t k = 0; k < length; ++k)
                AppendEscaped(out, static_cast<unsigned char>(text[i + k]));
            i += length;
        } else {
            out.append(text, i, length);
            i += length;
        }
    }
    return out;
}

}  // namespace zr::tools
