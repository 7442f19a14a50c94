#include "bigview/bv_clusters.h"

#include <QChar>

#include <vector>

#include "platform/mbchar.h"

namespace zr {

namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kZeroWidthJoiner = 0x200D;

struct Range {
    char32_t first, last;
};

// East Asian Width W and F, the blocks Japanese text meets.
constexpr Range kWideRanges[] = {
    {0x1100, 0x115F},   {0x231A, 0x231B},   {0x2329, 0x232A},   {0x23E9, 0x23EC},   {0x2E80, 0x303E},
    {0x3041, 0x33FF},   {0x3400, 0x4DBF},   {0x4E00, 0x9FFF},   {0xA000, 0xA4CF},   {0xA960, 0xA97F},
    {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},   {0xFE10, 0xFE19},   {0xFE30, 0xFE6F},   {0xFF00, 0xFF60},
    {0xFFE0, 0xFFE6},   {0x1B000, 0x1B2FF}, {0x1F004, 0x1F004}, {0x1F0CF, 0x1F0CF}, {0x1F18E, 0x1F18E},
    {0x1F191, 0x1F19A}, {0x1F200, 0x1F251}, {0x1F300, 0x1F64F}, {0x1F680, 0x1F6FF}, {0x1F900, 0x1F9FF},
    {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD},
};

}  // namespace

char32_t DecodeUtf8At(std::string_view text, std::size_t pos)
{
    if (pos >= text.size())
        return kReplacement;
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (lead < 0x80)
        return lead;
    const std::size_t length = platform::Utf8SequenceLength(lead);
    if (length == 1 || pos + length > text.size())
        return kReplacement;
    char32_t c = lead & (0xFF >> (length + 1));
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[pos + i]);
        if ((next & 0xC0) != 0x80)
            return kReplacement;
        c = (c << 6) | (next & 0x3F);
    }
    return c;
}

namespace {

bool IsExtendingUncached(char32_t c)
{
    if (c == kZeroWidthJoiner || (c >= 0x1F3FB && c <= 0x1F3FF))
        return true;  // joiner, skin tones
    switch (QChar::category(c)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
        return true;
    default:
        return false;
    }
}

bool IsWideUncached(char32_t c)
{
    for (const Range &r : kWideRanges)
        if (c >= r.first && c <= r.last)
            return true;
    return false;
}

// Both answers for the whole BMP in one table: the wrapper asks for every
// character of every line.
enum : unsigned char { kExtending = 1, kWide = 2 };
const std::vector<unsigned char> &BmpTraits()
{
    static const std::vector<unsigned char> table = [] {
        std::vector<unsigned char> t(0x10000);
        for (char32_t c = 0; c < 0x10000; ++c)
            t[c] = static_cast<unsigned char>((IsExtendingUncached(c) ? kExtending : 0) |
                                              (IsWideUncached(c) ? kWide : 0));
        return t;
    }();
    return table;
}

}  // namespace

bool IsExtendingCodePoint(char32_t c)
{
    return c < 0x10000 ? (BmpTraits()[c] & kExtending) != 0 : IsExtendingUncached(c);
}

bool IsWideCodePoint(char32_t c) { return c < 0x10000 ? (BmpTraits()[c] & kWide) != 0 : IsWideUncached(c); }

}  // namespace zr
