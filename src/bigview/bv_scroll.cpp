#include "bigview/bv_scroll.h"

#include <algorithm>
#include <cmath>

namespace zr {

namespace {
constexpr int kStepCounterLimit = 9;
}

int TBvScrollModel::VerticalMax(int lineCount, int visibleLines, bool scOver)
{
    int m = scOver ? lineCount - 1 : lineCount - visibleLines;
    m = std::min(m, lineCount - 1);
    return std::max(m, 1);
}

int TBvScrollModel::HorizontalMax(int maxChar, int clientWidth, int charWidth)
{
    return std::max(0, maxChar - clientWidth / std::max(charWidth, 1));
}

int TBvScrollModel::ClampTop(int top, int lineCount)
{
    return std::clamp(top, 0, std::max(lineCount - 1, 0));
}

int TBvScrollModel::BottomOf(int top, int visibleLines, int lineCount)
{
    return std::max(0, std::min(top + visibleLines - 1, lineCount - 1));
}

int TBvScrollModel::TopForBottom(int line, int visibleLines, int currentTop, bool scOver)
{
    const int top = std::max(0, line - visibleLines + 1);
    if (scOver && top < currentTop && line >= currentTop)
        return currentTop;
    return top;
}

int TBvScrollModel::Position(TBvScrollCmd cmd, int position, int step, int pageLines, int max, int thumb)
{
    const int page = std::max(pageLines - 1, 1);
    switch (cmd) {
    case TBvScrollCmd::LineUp:
        position -= step;
        break;
    case TBvScrollCmd::LineDown:
        position += step;
        break;
    case TBvScrollCmd::PageUp:
        position -= page;
        break;
    case TBvScrollCmd::PageDown:
        position += page;
        break;
    case TBvScrollCmd::Thumb:
        position = thumb;
        break;
    case TBvScrollCmd::Top:
        position = 0;
        break;
    case TBvScrollCmd::Bottom:
        position = max;
        break;
    }
    return std::clamp(position, 0, std::max(max, 0));
}

int TBvScrollModel::TopForPosition(int position, int max, int lineCount, bool scOver, int visibleLines)
{
    const int m = VerticalMax(lineCount, visibleLines, scOver);
    const double scaled = static_cast<double>(position) / std::max(max, 1) * m;
    return ClampTop(static_cast<int>(std::lrint(scaled)), lineCount);
}

bool TBvScrollAccel::MovesOneWay() const
{
    const int a = positions_[0], b = positions_[1], c = positions_[2];
    return (a < b && b < c) || (a > b && b > c);
}

int TBvScrollAccel::NextStep(std::int64_t nowMs, int intervalMs, int scrollSense, int maxStep)
{
    maxStep = std::max(maxStep, 1);
    if (!started_ || nowMs - lastMs_ > intervalMs) {
        step_ = 1;
        counter_ = 0;
    } else if (step_ < scrollSense) {
        if (MovesOneWay()) {
            if (++counter_ > kStepCounterLimit) {
                step_ = std::min(step_ + 1, maxStep);
                counter_ = 0;
            }
        } else {
            step_ = 1;
            counter_ = 0;
        }
    }
    started_ = true;
    lastMs_ = nowMs;
    step_ = std::min(step_, maxStep);
    return step_;
}

void TBvScrollAccel::Record(int position)
{
    positions_[0] = positions_[1];
    positions_[1] = positions_[2];
    positions_[2] = position;
}

}  // namespace zr

namespace zr {

int TBvWheelLines::Take(int angleDelta, int linesPerNotch)
{
    constexpr int kNotch = 120;
    // Turning back drops what was gathered the other way.
    if ((remainder_ > 0 && angleDelta > 0) || (remainder_ < 0 && angleDelta < 0))
        remainder_ = 0;
    remainder_ -= angleDelta * std::max(linesPerNotch, 1);  // wheel up is positive: toward the start
    const int lines = remainder_ / kNotch;
    remainder_ -= lines * kNotch;
    return lines;
}

}  // namespace zr
