#pragma once
// Word selection on double click and the text of a selection.

#include <string>
#include <string_view>

#include "bigview/bv_document.h"

namespace zr {

struct TBvColumnRange {
    int begin = 0;  // 1-based first column
    int end = 0;    // column after the last byte
};

// Word at a 1-based column of a row: a multi-byte character alone (also when
// the column is its second byte), a run of ASCII letters, digits and '_', or
// one other byte. Empty (begin == end) past the end of the row.
TBvColumnRange WordAt(std::string_view rowText, int column);

// Bytes between two positions in either order; display rows of one logical
// line join directly, logical lines are separated by '\n'.
std::string SelectedText(const TBvDocument &doc, TBvPos a, TBvPos b);

}  // namespace zr
