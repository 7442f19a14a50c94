#pragma once
// Where the status bar's parts sit: the count panel takes a third of the bar;
// during a run a gauge covers it and the run caption and file label sit right of it.

#include "util/placement.h"

namespace zr {

struct StatusBarGeometry {
    Rect countPanel;
    Rect gauge;
    Rect runPanel;
};

StatusBarGeometry ComputeStatusBarGeometry(int barWidth, int barHeight);

}  // namespace zr
