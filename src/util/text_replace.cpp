#include "util/text_replace.h"

#include "platform/mbchar.h"
#include "util/dbcs.h"

namespace zr {

std::string ReplaceTextAll(std::string_view source, std::string_view find, std::string_view replacement,
                           unsigned flags)
{
    if (find.empty())
        return std::string(source);
    // Folding ASCII letters only (never a byte of a multi-byte character)
    // keeps every byte offset of the source valid.
    const bool ignoreCase = (flags & rfIgnoreCase) != 0;
    const std::string haystack = ignoreCase ? LowerAscii(source) : std::string(source);
    const std::string needle = ignoreCase ? LowerAscii(find) : std::string(find);

    std::string out;
    std::size_t i = 0;
    while (i < source.size()) {
        if (haystack.compare(i, needle.size(), needle) == 0) {
            out += replacement;
            i += needle.size();
            if ((flags & rfReplaceAll) == 0) {
                out += source.substr(i);
                return out;
            }
            continue;
        }
        const std::size_t len = platform::CharLengthAt(source, i);
        out += source.substr(i, len);
        i += len;
    }
    return out;
}

std::string ReplaceChars(std::string_view source, std::string_view chars, std::string_view replacement)
{
    std::string out(source);
    for (char c : chars)
        out = ReplaceTextAll(out, std::string_view(&c, 1), replacement, rfReplaceAll);
    return out;
}

std::size_t SplitAtChar(std::string_view text, char delimiter, std::vector<std::string> &list)
{
    std::string piece;
    for (char c : text) {
        if (c == delimiter) {
            list.push_back(piece);
            piece.clear();
        } else {
            piece += c;
        }
    }
    if (!piece.empty())
        list.push_back(piece);
    return list.size();
}

}  // namespace zr
