#pragma once
// The main window's run state: it drives the enabling of every action and the
// layout of the result panel.

namespace zr {

enum class TRunState { rsIdle, rsSearching, rsFinished };

}  // namespace zr
