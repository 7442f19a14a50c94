#include "bigview/bv_tabbed_text.h"

#include <algorithm>

namespace zr {

namespace {
constexpr int kDefaultTabChars = 8;
}

TBvTabbedText::TBvTabbedText(const TBvTextMeasurer &measurer, int tabChars)
    : measurer_(measurer),
      tabWidth_(std::max(1, (tabChars > 0 ? tabChars : kDefaultTabChars) * measurer.CharWidth()))
{
}

int TBvTabbedText::NextTabStop(int x) const { return (x / tabWidth_ + 1) * tabWidth_; }

std::vector<TBvTextRun> TBvTabbedText::Runs(std::string_view text) const
{
    std::vector<TBvTextRun> runs;
    int x = 0;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t tab = std::min(text.find('\t', start), text.size());
        const std::string_view run = text.substr(start, tab - start);
        if (!run.empty()) {
            runs.push_back({run, x});
            x += measurer_.RunWidth(run);
        }
        if (tab == text.size())
            break;
        x = NextTabStop(x);
        start = tab + 1;
    }
    return runs;
}

int TBvTabbedText::Width(std::string_view text) const
{
    int x = 0;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = std::min(text.find('\t', start), text.size());
        if (tab > start)
            x += measurer_.RunWidth(text.substr(start, tab - start));
        if (tab == text.size())
            return x;
        x = NextTabStop(x);
        start = tab + 1;
    }
}

}  // namespace zr
