#pragma once
// The stored-file pattern as the archive libraries apply it, for walks that
// must see every entry (to find archives inside) but scan only the names the
// user asked for: ASCII letters without case, "*" and "*.*" match every
// name, a pattern without a folder separator matches the name without its
// folder, one with a separator the whole stored name.

#include <string>
#include <string_view>
#include <vector>

namespace zr::search {

class StoredNameFilter {
public:
    StoredNameFilter() = default;  // matches every name
    // A blank-separated list; an item in double quotes may hold blanks.
    explicit StoredNameFilter(std::string_view patternList);

    bool Matches(std::string_view storedName) const;
    bool MatchesAll() const { return patterns_.empty(); }

private:
    std::vector<std::string> patterns_;  // "/" between folders
};

}  // namespace zr::search
