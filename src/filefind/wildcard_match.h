#pragma once
// Wildcard matching: "*" matches any run, "?" exactly one unit, every other
// unit matches itself (no escape character).

#include <string_view>

namespace zr {

// Byte-wise: a double-byte character is two positions. An empty pattern
// matches every text.
bool WildcardMatch(std::string_view text, std::string_view pattern);

// File-name rules of the directory enumeration: "?" is one character of the
// system code page, ASCII letters match without case, and a pattern ending in
// ".*" also matches the name without that part ("*.*" matches every name).
bool MatchesNamePattern(std::string_view name, std::string_view pattern);

}  // namespace zr
