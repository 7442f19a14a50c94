#include "bigview/bv_geometry.h"

#include <algorithm>

#include "platform/mbchar.h"

namespace zr {

TBvGeometry::TBvGeometry(const TBvDocument &doc, const TBvTextMeasurer &measurer) : doc_(doc), measurer_(measurer) {}

int TBvGeometry::WidthBeforeColumn(int row, int column) const
{
    const std::string_view text = doc_.RowText(row);
    const auto bytes = static_cast<std::size_t>(std::clamp(column - 1, 0, static_cast<int>(text.size())));
    return TBvTabbedText(measurer_, doc_.TabChars()).Width(text.substr(0, bytes));
}

int TBvGeometry::RowWidth(int row) const { return TBvTabbedText(measurer_, doc_.TabChars()).Width(doc_.RowText(row)); }

int TBvGeometry::ColumnAtPixel(int row, int target) const
{
    const std::string_view text = doc_.RowText(row);
    const TBvTabbedText tabbed(measurer_, doc_.TabChars());
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t end = pos + platform::CharLengthAt(text, pos);
        if (tabbed.Width(text.substr(0, end)) >= target)
            return static_cast<int>(pos) + 1;
        pos = end;
    }
    return static_cast<int>(text.size()) + 1;
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
