#include "bigview/bv_wrapper.h"

#include <algorithm>

#include "platform/mbchar.h"

namespace zr {

int WholeCharsPrefix(std::string_view text, int start, int maxBytes)
{
    const auto from = static_cast<std::size_t>(start);
    std::size_t end = from;
    while (end < text.size()) {
        const std::size_t next = end + platform::CharLengthAt(text, end);
        if (next - from > static_cast<std::size_t>(maxBytes) && end > from)
            break;
        end = next;
        if (end - from >= static_cast<std::size_t>(maxBytes))
            break;
    }
    return static_cast<int>(end - from);
}

TBvWrapper::TBvWrapper(const TBvTextMeasurer &measurer, const TBvTabbedText &tabbed, const TBvWrapSettings &settings)
    : measurer_(measurer), tabbed_(tabbed), settings_(settings)
{
}

int TBvWrapper::PieceLengthForWidth(std::string_view text) const
{
    const int length = static_cast<int>(text.size());
    const int charWidth = measurer_.CharWidth();
    const int width = std::max(settings_.clientWidth, charWidth);
    const int whole = tabbed_.Width(text);
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
        measured = tabbed_.Width(text.substr(0, static_cast<std::size_t>(n)));
        if (measured == previous || (grew && shrank))
            break;
    }
    return n;
}

int TBvWrapper::BasePieceLength(std::string_view text) const
{
    if (settings_.wrapByte > 0)
        return settings_.wrapByte;
    return PieceLengthForWidth(text);
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
    const int base = BasePieceLength(text);
    int piece = 0;
    for (int start = 0; start < length; ++piece) {
        const int n = WholeCharsPrefix(text, start, base);
        out.push_back({lineIndex, start + 1, n, piece, false});
        start += n;
    }
    out.back().last = true;
}

}  // namespace zr
