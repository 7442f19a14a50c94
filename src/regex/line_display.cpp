#include "regex/line_display.h"

#include "platform/codepage.h"

namespace zr::regex {

std::string LineTextForDisplay(std::string_view cp932Line, const std::vector<TLineSubstitution> &substitutes)
{
    std::string out;
    std::size_t done = 0;
    for (const TLineSubstitution &sub : substitutes) {
        // Only a whole geta mark where it was put is replaced.
        if (sub.Offset < done || sub.Offset + 2 > cp932Line.size() ||
            cp932Line.substr(sub.Offset, 2) != "\x81\xAC")
            continue;
        out += platform::Cp932ToUtf8Lossy(cp932Line.substr(done, sub.Offset - done));
        out += sub.Original;
        done = sub.Offset + 2;
    }
    out += platform::Cp932ToUtf8Lossy(cp932Line.substr(done));
    return out;
}

std::vector<TLineSubstitution> SubstitutionsWithin(const std::vector<TLineSubstitution> &substitutes,
                                                   std::size_t length)
{
    std::vector<TLineSubstitution> kept;
    for (const TLineSubstitution &sub : substitutes)
        if (sub.Offset + 2 <= length)
            kept.push_back(sub);
    return kept;
}

}  // namespace zr::regex
