#pragma once
// Where the pattern matches inside one reported line, for colouring. The
// scan reports whole lines; this finds the leftmost-longest matches again
// with the same compiled pattern, on CP932 character boundaries.

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "regex/grep.h"

namespace zr::tools {

using ByteSpan = std::pair<std::size_t, std::size_t>;  // [begin, end) in the line

class MatchSpans {
public:
    // Throws the parser's exception for a malformed pattern.
    MatchSpans(const std::string &cp932Pattern, bool fuzzy);
    std::vector<ByteSpan> Find(std::string_view cp932Line) const;

private:
    regex::TGrep grep_;
};

}  // namespace zr::tools
