#pragma once
// The off-screen page: the visible rows drawn once into an image, so that a
// paint only copies pixels and a scroll moves them and draws the new rows.

#include <QColor>
#include <QFont>
#include <QImage>

class QPainter;

#include "bigview/bv_document.h"
#include "bigview/bv_qt_text.h"

namespace zr {

struct TBvPageLook {
    QColor background;
    QColor text;
    QFont font;
    bool crMark = false;
    int top = 0;        // display row at the top of the page
    int hOffsetPx = 0;  // horizontal scroll in pixels
    TBvPos selA;        // selection ends, either order; equal = none
    TBvPos selB;
};

class TBvPage {
public:
    static constexpr QRgb CRMarkColor = 0xFF00FF00;  // pure green

    TBvPage(const TBvDocument &doc, const TBvQtMeasurer &measurer);

    // width in device-independent pixels; the image holds width x ratio
    // pixels so that text is drawn at the screen's own resolution.
    void Resize(int width, int rows, qreal pixelRatio = 1.0);
    int Rows() const { return rows_; }
    qreal PixelRatio() const { return ratio_; }
    const QImage &Image() const { return image_; }
    QColor Background() const { return background_; }

    // Fills the page and draws every visible row.
    void Redraw(const TBvPageLook &look);
    // Moves the pixels by n rows (n > 0: text moves up) and draws only the
    // rows that come into view.
    void Scroll(int n, const TBvPageLook &look);

private:
    void DrawRows(int firstSlot, int lastSlot, const TBvPageLook &look);
    void DrawRowText(QPainter &painter, int row, int y, const TBvPageLook &look) const;
    void DrawCRMark(QPainter &painter, int x, int y) const;
    void InvertSelection(int firstSlot, int lastSlot, const TBvPageLook &look);
    void FillSlots(int firstSlot, int lastSlot, const QColor &color);

    const TBvDocument &doc_;
    const TBvQtMeasurer &measurer_;
    QImage image_;
    QColor background_;
    int rows_ = 0;
    qreal ratio_ = 1.0;
};

}  // namespace zr
