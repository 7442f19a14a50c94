#include "app/action_icons.h"

#include <QDir>
#include <QPainter>
#include <QPixmap>

namespace zr {

namespace {

struct Glyph {
    const char *themeName;
    const char *symbol;
    QRgb colour;
};

constexpr Glyph kGlyphs[aiCount] = {
    {"document-new", "N", 0xff4a90d9},        {"edit-find", "\u25b6", 0xff3a9a3a},
    {"process-stop", "\u25a0", 0xffc0392b},   {"document-save-as", "W", 0xff7d5ba6},
    {"document-open", "O", 0xffd98e04},       {"document-save", "P", 0xff2e6da4},
    {"application-exit", "X", 0xff6b6b6b},    {"document-print-preview", "V", 0xff16a085},
    {"system-file-manager", "Z", 0xff8e44ad}, {"edit-copy", "C", 0xff2c7fb8},
    {"edit-select-all", "A", 0xff5d6d7e},     {"help-browser", "?", 0xff2874a6},
    {"window-close", "\u00d7", 0xff7f8c8d},
};

QPixmap DrawGlyph(const Glyph &glyph, int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromRgba(glyph.colour));
    const qreal margin = size / 16.0;
    painter.drawRoundedRect(QRectF(margin, margin, size - 2 * margin, size - 2 * margin), size / 5.0,
                            size / 5.0);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(size * 5 / 8);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(0, 0, size, size), Qt::AlignCenter, QString::fromUtf8(glyph.symbol));
    return pixmap;
}

}  // namespace

const char *ActionIconThemeName(TActionImage image) { return kGlyphs[image].themeName; }

QIcon FallbackActionIcon(TActionImage image)
{
    QIcon icon;
    for (int size : {16, 24, 32})
        icon.addPixmap(DrawGlyph(kGlyphs[image], size));
    return icon;
}

QIcon ActionIcon(TActionImage image)
{
    // Themes draw these in grey (they look disabled when they are not) or
    // draw both saves alike: the drawn glyphs tell them apart.
    if (image == aiView || image == aiOpenZiZiv || image == aiSaveAs)
        return FallbackActionIcon(image);
    const QString name = QString::fromLatin1(ActionIconThemeName(image));
    if (QIcon::hasThemeIcon(name))
        return QIcon::fromTheme(name);
    return FallbackActionIcon(image);
}

void EnsureIconTheme()
{
    if (!QIcon::themeName().isEmpty() && QIcon::themeName() != QLatin1String("hicolor"))
        return;
    for (const char *theme : {"Adwaita", "breeze", "gnome", "oxygen", "Tango"}) {
        for (const QString &base : QIcon::themeSearchPaths()) {
            if (QDir(base + QLatin1Char('/') + QLatin1String(theme)).exists()) {
                QIcon::setThemeName(QLatin1String(theme));
                return;
            }
        }
    }
}

}  // namespace zr
