#pragma once
// Name filter of the listing and extraction commands over the program's one
// wildcard matcher, ASCII letters without case; "*" and "*.*" match everything.
// A pattern without a folder separator matches the name without its folder;
// one with a separator matches the whole stored name ("/" and "\" alike).

#include <string>
#include <string_view>
#include <vector>

namespace zr::archivers {

// Splits a blank-separated list; an item in double quotes may hold blanks.
std::vector<std::string> SplitWildcardList(std::string_view list);

class NameFilter {
public:
    NameFilter() = default;  // matches every entry
    explicit NameFilter(std::vector<std::string> patterns);

    bool matches(std::string_view storedName) const;
    bool matchesAll() const { return patterns_.empty(); }

private:
    std::vector<std::string> patterns_;  // separators normalised to "/"
};

}  // namespace zr::archivers
