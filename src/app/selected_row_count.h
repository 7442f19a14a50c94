#pragma once
// How many whole rows a list's selection holds, counted from its ranges:
// selecting or clearing a million rows must not walk a million indices.

#include <QItemSelection>

namespace zr {

// Rows covered by at least one range; overlapping ranges count once.
int SelectedRowCount(const QItemSelection &selection);

}  // namespace zr
