#pragma once
// The main window's run state (rsIdle, rsSearching, rsFinished): it drives the
// enabling of every action and the layout of the result panel. The search
// core names the state a finished run leaves the window in.

#include "search/run_summary.h"

namespace zr {

using search::TRunState;

}  // namespace zr
