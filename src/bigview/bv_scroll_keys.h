#pragma once
// The scrolling keys of the view without a caret: which key scrolls how,
// gated by the scroll bars that exist.

#include "bigview/bv_caret_keys.h"
#include "bigview/bv_style.h"

namespace zr {

enum class TBvScrollKeyAction {
    None,
    LineUp,
    LineDown,
    PageUp,
    PageDown,
    Top,
    Bottom,
    ColumnLeft,
    ColumnRight,
    PageLeft,
    PageRight,
    Leftmost,
    Rightmost,
};

TBvScrollKeyAction ScrollKeyAction(TBvKey key, bool ctrl, TBvScrollBars bars);

}  // namespace zr
