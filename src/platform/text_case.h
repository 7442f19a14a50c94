#pragma once
// Case-insensitive comparison the way the user's locale sees it: ASCII and
// full-width letters compare without case. Byte strings are UTF-8; a string
// that is not valid UTF-8 is upper-cased in ASCII only, so it never collides
// with a different valid string.

#include <string>
#include <string_view>

namespace zr::platform {

std::string UpperCaseLocale(std::string_view text);
bool SameTextLocale(std::string_view a, std::string_view b);

}  // namespace zr::platform
