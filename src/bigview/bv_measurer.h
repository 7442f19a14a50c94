#pragma once
// The text measurer the view's layout rules work through, so that wrapping,
// hit tests and caret movement are computed without a window or font.

#include <string_view>

namespace zr {

class TBvTextMeasurer {
public:
    virtual ~TBvTextMeasurer() = default;
    // Pixel width of a run of system-code-page bytes that holds no tab.
    virtual int RunWidth(std::string_view bytes) const = 0;
    // Pixel width of one Unicode character drawn in a run (the wrapper's
    // per-character walk); by default its UTF-8 form measured as a run.
    virtual int CodePointWidth(char32_t c) const;
    // Pixel width of "x": the view's character unit.
    virtual int CharWidth() const = 0;
    // Height of one display row (font height + external leading).
    virtual int LineHeight() const = 0;
};

}  // namespace zr
