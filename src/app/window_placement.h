#pragma once
// The main window's placement between runs: the ten "Place..." values of
// section "Grep", computed from the window's state and normal rectangle.

#include "util/placement.h"

#include <string>

namespace zr {

// Show commands as stored.
inline constexpr int kShowNormal = 1;
inline constexpr int kShowMinimized = 2;
inline constexpr int kShowMaximized = 3;
// Flag: a minimised window goes back to maximised.
inline constexpr int kRestoreToMaximized = 2;

enum class TWindowShowState { wsNormal, wsMinimized, wsMaximized };

struct TWindowPlacement {
    int flags = 0;
    int showCmd = kShowNormal;
    Point minPos{-1, -1};
    Point maxPos{-1, -1};
    // Normal (restored) rectangle, right and bottom exclusive.
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const TWindowPlacement &) const = default;
};

// The placement of a window in state with the given normal rectangle.
// maximizedBeforeMinimized: a minimised window that was maximised before.
TWindowPlacement PlacementFromState(TWindowShowState state, const Rect &normal,
                                    bool maximizedBeforeMinimized);

// How a stored placement opens the window. A window is never opened
// minimised: it opens as it was before it was minimised.
TWindowShowState ShowStateToRestore(const TWindowPlacement &placement);

Rect NormalRect(const TWindowPlacement &placement);

// Reads the ten values of section, each with current's field as default.
TWindowPlacement ReadPlacement(const std::string &section, const TWindowPlacement &current);
void WritePlacement(const std::string &section, const TWindowPlacement &placement);

}  // namespace zr
