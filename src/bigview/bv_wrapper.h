#pragma once
// Cuts one logical line into display pieces: at a fixed byte count or at the
// window width, never inside a multi-byte character of the system code page.

#include <string_view>
#include <vector>

#include "bigview/bv_tabbed_text.h"

namespace zr {

// One display row: a piece of a logical line.
struct TBvDisplayLine {
    int line = 0;    // logical line index
    int start = 0;   // 1-based byte column of the piece; 0 for an empty line
    int length = 0;  // bytes
    int piece = 0;   // 0 for the first piece of its logical line
    bool last = true;
};

struct TBvWrapSettings {
    bool wordWrap = true;
    int wrapByte = 0;     // > 0: cut every wrapByte bytes; 0: cut at clientWidth
    int clientWidth = 0;  // pixels available for text
};

class TBvWrapper {
public:
    TBvWrapper(const TBvTextMeasurer &measurer, const TBvTabbedText &tabbed, const TBvWrapSettings &settings);

    void Wrap(int lineIndex, std::string_view text, std::vector<TBvDisplayLine> &out) const;

    // Bytes per piece when wrapping at the width (before the character rule).
    int PieceLengthForWidth(std::string_view text) const;

private:
    int BasePieceLength(std::string_view text) const;

    const TBvTextMeasurer &measurer_;
    const TBvTabbedText &tabbed_;
    TBvWrapSettings settings_;
};

// Longest run of whole characters from text[start] that fits in maxBytes; at
// least one character, so a piece always advances.
int WholeCharsPrefix(std::string_view text, int start, int maxBytes);

}  // namespace zr
