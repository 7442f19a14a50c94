#pragma once
// Small helpers for images, fonts and menus.

#include <QColor>
#include <string>

class QImage;
class QMenu;

namespace zr {

// When the pixel at (15, 15) is not buttonFace, fills the area of that
// pixel's colour around it (4-connected) with buttonFace. Images too small to
// hold that pixel are left alone.
void RecolorBitmapBackground(QImage &image, const QColor &buttonFace);
// The same with the application palette's button colour.
void RecolorBitmapBackground(QImage &image);

// True when the font "MS UI Gothic" is installed and is the application font.
bool IsUIGothicIconFont();

// The text of the menu's default action; empty when it has none.
std::string DefaultMenuItemCaption(const QMenu &menu);

}  // namespace zr
