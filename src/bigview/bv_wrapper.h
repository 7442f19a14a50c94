#pragma once
// Cuts one logical line into display pieces: at a fixed column count or at
// the window width, never inside a character of the system code page nor
// between a character and its combining marks.

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
    int wrapByte = 0;     // > 0: cut every wrapByte columns (a wide character is two); 0: cut at clientWidth
    int clientWidth = 0;  // pixels available for text
};

class TBvWrapper {
public:
    TBvWrapper(const TBvTextMeasurer &measurer, const TBvTabbedText &tabbed, const TBvWrapSettings &settings);

    void Wrap(int lineIndex, std::string_view text, std::vector<TBvDisplayLine> &out) const;

    // Bytes per piece when wrapping at the width (before the character rule).
    int PieceLengthForWidth(std::string_view text) const;

private:
    // One walk over the line: for every byte offset the pixel width and the
    // display columns of the text before it (a character cut short counts
    // for nothing), and whether a cluster starts there.
    void MeasureLine(std::string_view text) const;
    // Bytes of the longest run of whole clusters from start whose size (in
    // columns or bytes) is at most limit; at least one cluster.
    int PieceFrom(int start, int limit, bool byColumns) const;

    int asciiWidths_[128] = {};  // most characters are ASCII: their widths asked once
    mutable std::vector<int> widths_;
    mutable std::vector<int> columns_;
    mutable std::vector<unsigned char> clusterStart_;

    const TBvTextMeasurer &measurer_;
    const TBvTabbedText &tabbed_;
    TBvWrapSettings settings_;
};

}  // namespace zr
