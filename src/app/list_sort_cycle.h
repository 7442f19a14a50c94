#pragma once
// What a click on a result-list header does to the sort: a new column sorts
// ascending, the same column then descending, and a third click returns to
// the run order.

#include <Qt>

namespace zr {

struct TListSort {
    int column = -1;  // -1: run order
    Qt::SortOrder order = Qt::AscendingOrder;
    bool RunOrder() const { return column < 0; }
    bool operator==(const TListSort &) const = default;
};

TListSort NextListSort(TListSort current, int clickedColumn);

}  // namespace zr
