#pragma once
// Pixel <-> text position rules of the view: hit tests and column offsets.

#include "bigview/bv_document.h"
#include "bigview/bv_tabbed_text.h"

namespace zr {

struct TBvViewport {
    int top = 0;      // first visible display row
    int hOffset = 0;  // horizontal offset in characters
    int visibleLines = 0;
    int clientWidth = 0;  // pixels of the text area
};

class TBvGeometry {
public:
    static constexpr int LeftMargin = 4;
    static constexpr int RightMargin = 4;

    TBvGeometry(const TBvDocument &doc, const TBvTextMeasurer &measurer);

    // Pixel width of the row's bytes before column X (tabs expanded).
    int WidthBeforeColumn(int row, int column) const;
    int RowWidth(int row) const;
    // Text position under a point of the text area (y may lie outside it).
    TBvPos HitTest(int x, int y, const TBvViewport &view) const;
    // Horizontal offset that keeps column X of the row inside the client width.
    int OffsetShowingColumn(int row, int column, const TBvViewport &view) const;

private:
    int ColumnAtPixel(int row, int target) const;

    const TBvDocument &doc_;
    const TBvTextMeasurer &measurer_;
};

}  // namespace zr
