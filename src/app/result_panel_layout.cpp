#include "app/result_panel_layout.h"

#include <algorithm>

namespace zr {

ResultPanelLayout LayoutForState(TRunState state, int viewLines)
{
    constexpr int kDesignedViewLines = 4;
    constexpr int kDesignLineHeight = 13;
    ResultPanelLayout layout;
    switch (state) {
    case TRunState::rsIdle:
        layout.headerHeight = 37;
        layout.title = "検索条件を入力してください。";
        layout.clearResults = true;
        break;
    case TRunState::rsSearching:
        layout.headerHeight = 120;
        layout.title = "検索中...";
        layout.titleBold = true;
        layout.resultLabelVisible = true;
        layout.resultViewVisible = true;
        break;
    case TRunState::rsFinished:
        layout.headerHeight = 85;
        layout.title = "検索結果";
        layout.titleBold = true;
        layout.resultLabelVisible = true;
        layout.resultLabelBold = true;
        layout.resultViewVisible = true;
        layout.headerHeight +=
            kDesignLineHeight *
            (std::clamp(viewLines, kDesignedViewLines, kMostFinishedViewLines) - kDesignedViewLines);
        layout.resultViewScrolls = viewLines > kMostFinishedViewLines;
        break;
    }
    return layout;
}

int ResultViewWidth(int headerWidth, int viewLeft) { return std::max(headerWidth - 10, 460) - viewLeft; }

int ScaledHeight(int designHeight, int lineSpacing)
{
    constexpr int kDesignLineSpacing = 13;
    if (lineSpacing <= kDesignLineSpacing)
        return designHeight;
    return (designHeight * lineSpacing + kDesignLineSpacing / 2) / kDesignLineSpacing;
}

int FinishedHeaderHeight(int designHeight, int viewTop, int viewRows, int rowHeight, int frameWidth)
{
    const int rows = std::clamp(viewRows, 0, kMaxFinishedRows);
    // The view ends 5 pixels above the header's bottom edge.
    return std::max(designHeight, viewTop + rows * rowHeight + 5 + 2 * frameWidth);
}

int ResultViewTop(int titleBottom) { return titleBottom + 3; }

int ResultViewHeight(int headerHeight, int titleBottom)
{
    return std::max(0, headerHeight - 5 - ResultViewTop(titleBottom));
}

}  // namespace zr
