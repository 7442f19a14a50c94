#pragma once
// Lists of paths as the file operation request carries them: every path ends
// with a zero byte and one more zero byte ends the list.

#include <string>
#include <string_view>
#include <vector>

namespace zr {

// Every ',' becomes a zero byte and a final zero byte is appended; a comma
// therefore always separates paths. A ',' byte is never part of a
// double-byte character, so the bytes need no character walk.
std::string CommaListToDoubleZero(std::string_view commaList);

// The non-empty paths of a double-zero list (a missing final zero is tolerated).
std::vector<std::string> DoubleZeroToPaths(std::string_view list);

}  // namespace zr
