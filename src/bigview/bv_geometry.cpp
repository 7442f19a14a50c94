#include "bigview/bv_geometry.h"

#include <algorithm>
#include <vector>

#include "platform/mbchar.h"

namespace zr {

TBvGeometry::TBvGeometry(const TBvDocument &doc, const TBvTextMeasurer &measurer)
    : doc_(doc), measurer_(measurer)
{
}

int TBvGeometry::WidthBeforeColumn(int row, int column) const
{
    const std::string_view text = doc_.RowText(row);
    const auto bytes = static_cast<std::size_t>(std::clamp(column - 1, 0, static_cast<int>(text.size())));
    return TBvTabbedText(measurer_, doc_.TabChars()).Width(text.substr(0, bytes));
}

int TBvGeometry::RowWidth(int row) const
{
    return TBvTabbedText(measurer_, doc_.TabChars()).Width(doc_.RowText(row));
}

int TBvGeometry::ColumnAtPixel(int row, int target) const
{
    const std::string_view text = doc_.RowText(row);
    const TBvTabbedText tabbed(measurer_, doc_.TabChars());
    // Prefix widths grow with every character: binary search over the
    // character ends for the first one whose prefix reaches the target.
    std::vector<std::size_t> ends;
    for (std::size_t pos = 0; pos < text.size();) {
        pos += platform::CharLengthAt(text, pos);
        ends.push_back(pos);
    }
    std::size_t lo = 0;
    std::size_t hi = ends.size();
    while (lo < hi) {
        const std::size_t mid = (lo + hi) / 2;
        if (tabbed.Width(text.substr(0, ends[mid])) >= target)
            hi = mid;
        else
            lo = mid + 1;
    }
    if (lo == ends.size())
        return static_cast<int>(text.size()) + 1;
    const std::size_t start = lo == 0 ? 0 : ends[lo - 1];
    return static_cast<int>(start) + 1;
}

TBvPos TBvGeometry::HitTest(int x, int y, const TBvViewport &view) const
{
    if (doc_.LineCount() == 0)
        return {0, 0};
    if (y < 0)
        return {1, std::min(view.top, doc_.LineCount() - 1)};
    const int row = y / std::max(measurer_.LineHeight(), 1) + view.top;
    if (row >= doc_.LineCount()) {
        const int last = doc_.LineCount() - 1;
        return {doc_.Row(last).length + 1, last};
    }
    return {ColumnAtPixel(row, x + view.hOffset * measurer_.CharWidth() - LeftMargin), row};
}

int TBvGeometry::OffsetShowingColumn(int row, int column, const TBvViewport &view) const
{
    const int charWidth = std::max(measurer_.CharWidth(), 1);
    const int x = WidthBeforeColumn(row, column);
    const int shown = view.hOffset * charWidth;
    if (x < shown)
        return x / charWidth;
    const int usable = std::max(view.clientWidth - LeftMargin - RightMargin, charWidth);
    if (x - shown >= usable)
        return (x - usable) / charWidth + 1;
    return view.hOffset;
}

}  // namespace zr
