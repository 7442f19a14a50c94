#include "bigview/bv_wrapper.h"

#include <algorithm>

#include "bigview/bv_clusters.h"
#include "platform/mbchar.h"

namespace zr {

namespace {

constexpr char32_t kZeroWidthJoiner = 0x200D;

// The character at pos: its length, code point (UTF-8 mode) and traits.
struct TCharAt {
    std::size_t length = 1;
    char32_t code = 0;
    bool decoded = false;  // code is meaningful
};

TCharAt CharAt(std::string_view text, std::size_t pos, bool utf8)
{
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (lead < 0x80)
        return {1, lead, true};
    if (!utf8)
        return {platform::CharLengthAt(text, pos), 0, false};
    const std::size_t length = platform::CharLengthAt(text, pos);
    return {length, DecodeUtf8At(text, pos), true};
}

}  // namespace

TBvWrapper::TBvWrapper(const TBvTextMeasurer &measurer, const TBvTabbedText &tabbed,
                       const TBvWrapSettings &settings)
    : measurer_(measurer), tabbed_(tabbed), settings_(settings)
{
    for (char32_t c = 0; c < 128; ++c)
        asciiWidths_[c] = measurer_.CodePointWidth(c);
}

void TBvWrapper::MeasureLine(std::string_view text) const
{
    const bool utf8 = platform::SystemCodePageMode() == platform::CodePageMode::Utf8;
    const std::size_t size = text.size();
    widths_.assign(size + 1, 0);
    columns_.assign(size + 1, 0);
    clusterStart_.assign(size + 1, 0);
    clusterStart_[size] = 1;
    int x = 0, column = 0;
    bool joined = false;  // the character before was a joiner
    for (std::size_t pos = 0; pos < size;) {
        const auto lead = static_cast<unsigned char>(text[pos]);
        if (lead < 0x80 && lead != '\t') {
            clusterStart_[pos] = !joined;
            joined = false;
            x += asciiWidths_[lead];
            ++column;
            ++pos;
            widths_[pos] = x;
            columns_[pos] = column;
            continue;
        }
        const TCharAt c = CharAt(text, pos, utf8);
        const bool extending = c.decoded && c.code >= 0x80 && IsExtendingCodePoint(c.code);
        clusterStart_[pos] = !(extending || joined);
        joined = c.decoded && c.code == kZeroWidthJoiner;
        for (std::size_t i = 1; i < c.length; ++i) {
            widths_[pos + i] = x;
            columns_[pos + i] = column;
        }
        if (c.decoded && c.code == '\t') {
            x = tabbed_.NextTabStop(x);
        } else if (c.decoded) {
            x += measurer_.CodePointWidth(c.code);
        } else {
            x += measurer_.RunWidth(text.substr(pos, c.length));
        }
        if (!c.decoded)
            column += static_cast<int>(c.length);  // CP932: one column a byte
        else if (!extending)
            column += c.code >= 0x80 && IsWideCodePoint(c.code) ? 2 : 1;
        pos += c.length;
        widths_[pos] = x;
        columns_[pos] = column;
    }
}

int TBvWrapper::PieceLengthForWidth(std::string_view text) const
{
    MeasureLine(text);
    const int length = static_cast<int>(text.size());
    const int charWidth = measurer_.CharWidth();
    const int width = std::max(settings_.clientWidth, charWidth);
    const int whole = widths_.back();
    if (whole <= width)
        return length;
    // Estimate from the average byte width, then step by one byte until the
    // piece ends within two characters of the right edge.
    const int average = std::max(1, whole / length);
    int n = std::clamp(width / average, 1, length);
    int measured = whole;
    bool grew = false;
    bool shrank = false;
    for (;;) {
        if (width - 2 * charWidth < measured && measured < width)
            break;
        if (measured <= width - 2 * charWidth) {
            ++n;
            grew = true;
        } else if (measured > width) {
            --n;
            shrank = true;
        }
        n = std::clamp(n, 1, length);
        const int previous = measured;
        measured = widths_[static_cast<std::size_t>(n)];
        if (measured == previous || (grew && shrank))
            break;
    }
    return n;
}

int TBvWrapper::PieceFrom(int start, int limit, bool byColumns) const
{
    const int size = static_cast<int>(clusterStart_.size()) - 1;
    const auto at = [](int i) { return static_cast<std::size_t>(i); };
    const auto sizeTo = [&](int end) {
        return byColumns ? columns_[at(end)] - columns_[at(start)] : end - start;
    };
    int end = start + 1;
    while (end < size && !clusterStart_[at(end)])
        ++end;  // the first cluster, whatever its size
    int best = end;
    for (int next = end + 1; next <= size && sizeTo(next) <= limit; ++next)
        if (clusterStart_[at(next)])
            best = next;
    return best - start;
}

void TBvWrapper::Wrap(int lineIndex, std::string_view text, std::vector<TBvDisplayLine> &out) const
{
    const int length = static_cast<int>(text.size());
    if (length == 0) {
        out.push_back({lineIndex, 0, 0, 0, true});
        return;
    }
    if (!settings_.wordWrap) {
        out.push_back({lineIndex, 1, length, 0, true});
        return;
    }
    const bool byColumns = settings_.wrapByte > 0;
    int limit = settings_.wrapByte;
    if (byColumns)
        MeasureLine(text);
    else
        limit = PieceLengthForWidth(text);  // measures the line too
    // Width wrapping cuts every piece at the same byte count, column
    // wrapping at the same column count.
    int piece = 0;
    for (int start = 0; start < length; ++piece) {
        const int n = PieceFrom(start, limit, byColumns);
        out.push_back({lineIndex, start + 1, n, piece, false});
        start += n;
    }
    out.back().last = true;
}

}  // namespace zr
