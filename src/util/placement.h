#pragma once
// Window placement as arithmetic on rectangles: near an owner, clamped to the
// screen, and clear of the desktop panel (the taskbar).

#include <optional>

namespace zr {

struct Point {
    int x = 0;
    int y = 0;
    bool operator==(const Point &) const = default;
};

struct Size {
    int width = 0;
    int height = 0;
    bool operator==(const Size &) const = default;
};

// left/top inclusive, Right()/Bottom() exclusive (left + width).
struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int Right() const { return left + width; }
    int Bottom() const { return top + height; }
    Size GetSize() const { return {width, height}; }
    bool operator==(const Rect &) const = default;
};

enum PlaceKind { pkOffset = 1, pkCentre = 2, pkBackOffset = 3, pkBottomRight = 11 };

// Kind 1: owner + 20; kind 2: centred over owner; kind 3: owner - 20; other
// kinds keep position. Then clamped 2 pixels inside the screen. Nothing
// happens without an owner.
void PlaceNear(int kind, const std::optional<Rect> &owner, Size dialog, const Rect &screen, Point &position);

// Where a form goes: kinds 1-3 as PlaceNear, 11 the screen's bottom-right
// corner, others the screen's origin, clamped as PlaceNear (not yet clear of the
// panel); without an owner, centred on the screen.
Point PlaceFormNear(int kind, const std::optional<Rect> &owner, Size form, const Rect &screen);

// The panel's rectangle from the screen's full and available geometry: the
// strip that the available area leaves out at its bottom, top, right or left
// (first found in that order), or none.
std::optional<Rect> PanelRect(const Rect &full, const Rect &available);

// Pulls form inside desktop, then moves it off the panel along the panel's axis.
Rect KeepClearOfTaskbar(const Rect &form, const Rect &desktop, const std::optional<Rect> &panel);

}  // namespace zr
