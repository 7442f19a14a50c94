#pragma once
// Tab expansion with one repeating tab stop, measured from the start of the
// text (the view's left margin).

#include <string_view>
#include <vector>

#include "bigview/bv_measurer.h"

namespace zr {

// A tab-free piece of text and where it starts, in pixels from the text start.
struct TBvTextRun {
    std::string_view bytes;
    int x = 0;
};

class TBvTabbedText {
public:
    // tabChars 0 falls back to 8 characters so that a tab always advances.
    TBvTabbedText(const TBvTextMeasurer &measurer, int tabChars);

    int TabWidth() const { return tabWidth_; }
    int Width(std::string_view text) const;
    std::vector<TBvTextRun> Runs(std::string_view text) const;
    // Where a tab at pixel x ends.
    int NextTabStop(int x) const;

private:
    const TBvTextMeasurer &measurer_;
    int tabWidth_;
};

}  // namespace zr
