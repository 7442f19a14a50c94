#pragma once
// Scroll ranges, top-line clamping and the accelerated scroll step.

#include <cstdint>

namespace zr {

enum class TBvScrollCmd { LineUp, LineDown, PageUp, PageDown, Thumb, Top, Bottom };

struct TBvScrollModel {
    // Highest vertical scroll position: with scOver the last line may become
    // the top line, otherwise only the bottom line. Always 1 ... lineCount - 1.
    static int VerticalMax(int lineCount, int visibleLines, bool scOver);
    static int HorizontalMax(int maxChar, int clientWidth, int charWidth);
    static int ClampTop(int top, int lineCount);
    static int BottomOf(int top, int visibleLines, int lineCount);
    // Top line that makes `line` the last visible one.
    static int TopForBottom(int line, int visibleLines, int currentTop, bool scOver);
    // New scroll position for a scroll-bar or key command, clamped to 0 ... max.
    static int Position(TBvScrollCmd cmd, int position, int step, int pageLines, int max, int thumb = 0);
    // Top line for a vertical scroll position.
    static int TopForPosition(int position, int max, int lineCount, bool scOver, int visibleLines);
};

// The step grows while the user keeps scrolling one way quickly.
class TBvScrollAccel {
public:
    static constexpr int ScrollBarIntervalMs = 300;
    static constexpr int KeyIntervalMs = 200;

    // Step for the next line scroll at time nowMs (monotonic milliseconds).
    int NextStep(std::int64_t nowMs, int intervalMs, int scrollSense, int maxStep);
    // Remembers the position reached by a scroll.
    void Record(int position);
    int Step() const { return step_; }

private:
    bool MovesOneWay() const;

    int step_ = 1;
    int counter_ = 0;
    int positions_[3] = {0, 0, 0};  // oldest first
    std::int64_t lastMs_ = 0;
    bool started_ = false;
};

}  // namespace zr

namespace zr {

// Wheel and touchpad turns into whole lines: a notch (120 eighths of a
// degree) is linesPerNotch lines, and the small steps of a touchpad add up
// until they make a line. Positive lines scroll toward the end.
class TBvWheelLines {
public:
    int Take(int angleDelta, int linesPerNotch);
    void Reset() { remainder_ = 0; }

private:
    int remainder_ = 0;  // in units of 1/120 line
};

}  // namespace zr
