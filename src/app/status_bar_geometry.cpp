#include "app/status_bar_geometry.h"

#include <algorithm>

namespace zr {

StatusBarGeometry ComputeStatusBarGeometry(int barWidth, int barHeight)
{
    StatusBarGeometry g;
    const int panel0 = std::max(0, barWidth / 3);
    const int innerHeight = std::max(0, barHeight - 6);
    g.countPanel = {0, 0, panel0, barHeight};
    g.gauge = {1, 4, std::max(0, panel0 - 2), innerHeight};
    g.runPanel = {panel0 + 4, 2, std::max(0, barWidth - panel0 - 16), std::max(0, barHeight - 4)};
    return g;
}

}  // namespace zr
