#pragma once
// How the header above the archive tree and the result list looks in each
// run state: its height, the title line, the result label and the result view.

#include "app/run_state.h"

#include <string>

namespace zr {

struct ResultPanelLayout {
    int headerHeight = 37;
    std::string title;
    bool titleBold = false;
    bool resultLabelVisible = false;
    bool resultLabelBold = false;
    bool resultViewVisible = false;
    // Idle: the view, the hits, the tree's archives and the list are cleared.
    bool clearResults = false;
    // Finished with more lines than the header can grow to hold.
    bool resultViewScrolls = false;
};

// viewLines: the result view's lines at the end of a run. Past the four
// condition lines (archives that could not be searched, unreadable folders)
// the finished header grows by a line each, up to kMostFinishedViewLines;
// beyond that the view scrolls.
ResultPanelLayout LayoutForState(TRunState state, int viewLines = 0);
inline constexpr int kMostFinishedViewLines = 10;

// The result view's width: it follows the header's right edge (10 pixels in)
// but never ends left of 460.
int ResultViewWidth(int headerWidth, int viewLeft);

// Vertical extent of the result view while shown: from 3 pixels below the
// title to 5 pixels above the header's bottom; never negative.
int ResultViewTop(int titleBottom);
int ResultViewHeight(int headerHeight, int titleBottom);

// The designed heights fit a 13-pixel line; a larger font grows them alike so
// the result view still holds its four closing lines.
int ScaledHeight(int designHeight, int lineSpacing);

// The finished header grows to show every row of the result view (a long
// archive pattern wraps), at most kMaxFinishedRows of them.
inline constexpr int kMaxFinishedRows = 8;
int FinishedHeaderHeight(int designHeight, int viewTop, int viewRows, int rowHeight, int frameWidth);

// The idle view's height (it sits hidden at the title's top).
inline constexpr int kIdleResultViewHeight = 22;

}  // namespace zr
