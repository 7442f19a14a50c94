#include "app/list_sort_cycle.h"

namespace zr {

TListSort NextListSort(TListSort current, int clickedColumn)
{
    if (clickedColumn < 0)
        return {};
    if (current.column != clickedColumn)
        return {clickedColumn, Qt::AscendingOrder};
    if (current.order == Qt::AscendingOrder)
        return {clickedColumn, Qt::DescendingOrder};
    return {};
}

}  // namespace zr
