#pragma once
// The one wildcard matcher of the program: "*" matches any run of
// characters, "?" exactly one character of the system code page (a
// double-byte character is one position, so "?.txt" finds "あ.txt" and a
// "?" never splits a character), every other character matches itself (no
// escape character). Used by the file finder and the archiver libraries.

#include <string_view>

namespace zr::platform {

enum class LetterCase { Exact, IgnoreAscii };

// An empty pattern matches every text. With IgnoreAscii only the ASCII
// letters fold; the bytes of a double-byte character never do.
bool WildcardMatch(std::string_view text, std::string_view pattern,
                   LetterCase letterCase = LetterCase::Exact);

// File-name rules of the directory enumeration: WildcardMatch without case,
// and a pattern ending in ".*" also matches the name without that part
// ("*.*" matches every name, "foo.*" matches "foo").
bool MatchesNamePattern(std::string_view name, std::string_view pattern);

}  // namespace zr::platform
