#include "bigview/bv_page.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "bigview/bv_geometry.h"

namespace zr {

namespace {
int Nearest(double v) { return static_cast<int>(std::lrint(v)); }

// Inverts the colour bits of a rectangle (device-independent pixels),
// keeping the pixels opaque.
void InvertRect(QImage &image, QRect rect)
{
    const qreal ratio = image.devicePixelRatio();
    rect = QRect(Nearest(rect.x() * ratio), Nearest(rect.y() * ratio), Nearest(rect.width() * ratio),
                 Nearest(rect.height() * ratio));
    rect = rect.intersected(image.rect());
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = rect.left(); x <= rect.right(); ++x)
            line[x] ^= 0x00FFFFFFu;
    }
}
}  // namespace

TBvPage::TBvPage(const TBvDocument &doc, const TBvQtMeasurer &measurer) : doc_(doc), measurer_(measurer) {}

void TBvPage::Resize(int width, int rows, qreal pixelRatio)
{
    rows_ = std::max(rows, 0);
    ratio_ = pixelRatio > 0 ? pixelRatio : 1.0;
    const int height = rows_ * measurer_.LineHeight();
    if (width <= 0 || height <= 0) {
        image_ = QImage();
        return;
    }
    const int deviceWidth = static_cast<int>(std::ceil(width * ratio_));
    const int deviceHeight = static_cast<int>(std::ceil(height * ratio_));
    if (image_.width() != deviceWidth || image_.height() != deviceHeight)
        image_ = QImage(deviceWidth, deviceHeight, QImage::Format_RGB32);
    image_.setDevicePixelRatio(ratio_);
    measurer_.MatchResolution(image_);
}

void TBvPage::FillSlots(int firstSlot, int lastSlot, const QColor &color)
{
    const int lh = measurer_.LineHeight();
    QPainter painter(&image_);
    painter.fillRect(0, firstSlot * lh, image_.width(), (lastSlot - firstSlot + 1) * lh, color);
}

void TBvPage::Redraw(const TBvPageLook &look)
{
    background_ = look.background;
    if (image_.isNull())
        return;
    image_.fill(look.background);
    DrawRows(0, rows_ - 1, look);
}

void TBvPage::Scroll(int n, const TBvPageLook &look)
{
    if (image_.isNull() || n == 0)
        return;
    if (std::abs(n) >= rows_ || look.background != background_) {
        Redraw(look);
        return;
    }
    // Pixels move by whole device rows only; a fractional ratio redraws.
    const double deviceLine = measurer_.LineHeight() * ratio_;
    const int lh = Nearest(deviceLine);
    if (std::abs(deviceLine - lh) > 1e-6) {
        Redraw(look);
        return;
    }
    const int bytesPerLine = static_cast<int>(image_.bytesPerLine());
    const int movedRows = std::max(0, image_.height() - std::abs(n) * lh);
    uchar *bits = image_.bits();
    const int shift = std::abs(n) * lh * bytesPerLine;
    if (n > 0)
        std::memmove(bits, bits + shift, static_cast<std::size_t>(movedRows) * bytesPerLine);
    else
        std::memmove(bits + shift, bits, static_cast<std::size_t>(movedRows) * bytesPerLine);
    const int firstNew = n > 0 ? rows_ - n : 0;
    const int lastNew = n > 0 ? rows_ - 1 : -n - 1;
    FillSlots(firstNew, lastNew, look.background);
    DrawRows(firstNew, lastNew, look);
}

void TBvPage::DrawRows(int firstSlot, int lastSlot, const TBvPageLook &look)
{
    {
        QPainter painter(&image_);
        QFont unkerned = look.font;  // measured character by character
        unkerned.setKerning(false);
        painter.setFont(unkerned);
        const int lh = measurer_.LineHeight();
        for (int slot = firstSlot; slot <= lastSlot; ++slot) {
            const int row = look.top + slot;
            if (row >= doc_.LineCount())
                break;
            DrawRowText(painter, row, slot * lh, look);
        }
    }
    InvertSelection(firstSlot, lastSlot, look);
}

void TBvPage::DrawRowText(QPainter &painter, int row, int y, const TBvPageLook &look) const
{
    const int x0 = TBvGeometry::LeftMargin - look.hOffsetPx;
    const TBvTabbedText tabbed(measurer_, doc_.TabChars());
    const std::string_view text = doc_.RowText(row);
    painter.setPen(look.text);
    for (const TBvTextRun &run : tabbed.Runs(text))
        painter.drawText(x0 + run.x, y + measurer_.Ascent(), SystemBytesToQString(run.bytes));
    if (look.crMark && doc_.Row(row).last)
        DrawCRMark(painter, tabbed.Width(text) + x0, y);
}

void TBvPage::DrawCRMark(QPainter &painter, int x, int y) const
{
    // A down arrow: a stem of line height - 2 ending 2 pixels above the row's
    // bottom, and two barbs rising from its lower end.
    const int lh = measurer_.LineHeight();
    const int half = Nearest(measurer_.CharWidth() / 2.0);
    const int stemX = x + half;
    const int bottom = y + lh - 2;
    const int barbY = bottom - Nearest((lh - 2) / 4.0);
    const int barb = std::max(half - 2, 1);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(QColor::fromRgb(CRMarkColor), 1));
    painter.drawLine(stemX, bottom, stemX, bottom - (lh - 2));
    painter.drawLine(stemX, bottom, stemX - barb, barbY);
    painter.drawLine(stemX, bottom, stemX + barb, barbY);
    painter.restore();
}

void TBvPage::InvertSelection(int firstSlot, int lastSlot, const TBvPageLook &look)
{
    if (look.selA == look.selB || doc_.LineCount() == 0)
        return;
    TBvPos a = doc_.ClampPos(look.selA);
    TBvPos b = doc_.ClampPos(look.selB);
    if (PosBefore(b, a))
        std::swap(a, b);
    const TBvGeometry geometry(doc_, measurer_);
    const int lh = measurer_.LineHeight();
    const int x0 = TBvGeometry::LeftMargin - look.hOffsetPx;
    const int from = std::max(a.Y, look.top + firstSlot);
    const int to = std::min(b.Y, look.top + lastSlot);
    for (int row = from; row <= to; ++row) {
        const int left = row == a.Y ? geometry.WidthBeforeColumn(row, a.X) : 0;
        const int right = row == b.Y ? geometry.WidthBeforeColumn(row, b.X) : geometry.RowWidth(row);
        if (right > left)
            InvertRect(image_, QRect(x0 + left, (row - look.top) * lh, right - left, lh));
    }
}

}  // namespace zr
