#pragma once
// Caret movement by the keyboard over display rows; never leaves the caret on
// a continuation byte of a multi-byte character.

#include "bigview/bv_document.h"

namespace zr {

enum class TBvKey { Up, Down, Left, Right, PageUp, PageDown, Home, End };

struct TBvCaretMove {
    TBvPos pos;
    int topDelta = 0;  // rows the top line moves with the caret (page keys)
};

TBvCaretMove MoveCaret(const TBvDocument &doc, TBvPos pos, TBvKey key, bool ctrl, int visibleLines);

// Column moved off a continuation byte: left to its character's start, or
// right past the character.
int SnapColumn(std::string_view rowText, int column, bool towardEnd);

}  // namespace zr
