#include "util/ui_helpers.h"

#include <QApplication>
#include <QFontDatabase>
#include <QImage>
#include <QMenu>
#include <QPalette>
#include <QPoint>
#include <vector>

namespace zr {

namespace {
constexpr int kProbeX = 15;
constexpr int kProbeY = 15;

void FloodFill(QImage &image, QPoint start, QRgb from, QRgb to)
{
    std::vector<QPoint> pending{start};
    while (!pending.empty()) {
        const QPoint p = pending.back();
        pending.pop_back();
        if (!image.valid(p) || image.pixel(p) != from)
            continue;
        image.setPixel(p, to);
        pending.insert(pending.end(),
                       {{p.x() + 1, p.y()}, {p.x() - 1, p.y()}, {p.x(), p.y() + 1}, {p.x(), p.y() - 1}});
    }
}
}  // namespace

void RecolorBitmapBackground(QImage &image, const QColor &buttonFace)
{
    const QPoint probe(kProbeX, kProbeY);
    if (!image.valid(probe))
        return;
    if (image.format() != QImage::Format_ARGB32 && image.format() != QImage::Format_RGB32)
        image = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb from = image.pixel(probe);
    const QRgb to = buttonFace.rgba();
    if (from != to)
        FloodFill(image, probe, from, to);
}

void RecolorBitmapBackground(QImage &image)
{
    RecolorBitmapBackground(image, QApplication::palette().color(QPalette::Button));
}

bool IsUIGothicIconFont()
{
    const QString gothic = QStringLiteral("MS UI Gothic");
    return QFontDatabase::families().contains(gothic) && QApplication::font().family() == gothic;
}

std::string DefaultMenuItemCaption(const QMenu &menu)
{
    const QAction *action = menu.defaultAction();
    return action == nullptr ? std::string() : action->text().toStdString();
}

}  // namespace zr
