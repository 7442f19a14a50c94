#pragma once
// Thin Qt skins over placement.h: rectangles from widgets and their screen.

#include <optional>

class QWidget;

namespace zr {

void PlaceNear(int kind, const QWidget *owner, const QWidget *dialog, int &x, int &y);
// Moves form near owner (or centres it without one), keeps it clear of the
// panel and shows it in its normal state.
void PlaceFormNear(int kind, const QWidget *owner, QWidget *form);
void KeepClearOfTaskbar(QWidget *form);

}  // namespace zr
