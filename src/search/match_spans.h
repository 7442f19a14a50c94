#pragma once
// Where the pattern matches inside one reported line, for colouring. The
// scan reports whole lines; this finds the leftmost-longest matches again
// with the same compiled pattern, on CP932 character boundaries.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "regex/grep.h"
#include "search/search_conditions.h"

namespace zr::search {

using ByteSpan = std::pair<std::size_t, std::size_t>;  // [begin, end) in the line

class MatchSpans {
public:
    // Throws the parser's exception for a malformed pattern.
    MatchSpans(const std::string &cp932Pattern, bool fuzzy);
    std::vector<ByteSpan> Find(std::string_view cp932Line) const;

private:
    regex::TGrep grep_;
};

// The spans of a run's conditions (the switches for literal text and the
// fuzzy table applied); null when the run searches no text or its pattern
// cannot be compiled (the run reports that itself).
std::unique_ptr<MatchSpans> MatchSpansFor(const SearchConditions &conditions);

}  // namespace zr::search
