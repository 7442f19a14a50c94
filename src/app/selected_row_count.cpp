#include "app/selected_row_count.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace zr {

int SelectedRowCount(const QItemSelection &selection)
{
    std::vector<std::pair<int, int>> spans;
    spans.reserve(static_cast<std::size_t>(selection.size()));
    for (const QItemSelectionRange &range : selection)
        if (range.isValid())
            spans.emplace_back(range.top(), range.bottom());
    std::sort(spans.begin(), spans.end());
    int count = 0;
    int coveredUpTo = -1;  // last row already counted
    for (const auto &[top, bottom] : spans) {
        const int from = std::max(top, coveredUpTo + 1);
        if (bottom >= from)
            count += bottom - from + 1;
        coveredUpTo = std::max(coveredUpTo, bottom);
    }
    return count;
}

}  // namespace zr
