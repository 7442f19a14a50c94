#pragma once
// Thin Qt skins over placement.h: rectangles from widgets and their screen.

#include "util/placement.h"

#include <optional>

class QRect;
class QWidget;

namespace zr {

Rect ToRect(const QRect &r);
// The widget's outer frame; none without a widget.
std::optional<Rect> FrameRect(const QWidget *widget);

void PlaceNear(int kind, const QWidget *owner, const QWidget *dialog, int &x, int &y);
// Moves form near owner (or centres it without one), keeps it clear of the
// panel and shows it in its normal state.
void PlaceFormNear(int kind, const QWidget *owner, QWidget *form);
void KeepClearOfTaskbar(QWidget *form);

}  // namespace zr
