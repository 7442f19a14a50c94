#pragma once
// Stored names as the libraries return them: UTF-8 with "/" separators.
// Names that are not valid UTF-8 come from Japanese systems and are read as
// CP932.

#include <string>
#include <string_view>

namespace zr::archivers {

std::string StoredNameToUtf8(std::string_view raw);

// 7-Zip on Unix keeps a name byte that is no valid UTF-8 as the character
// U+EF80..U+EFFF (0xEF00 + byte): gives the original bytes back when the name
// holds such characters and the result is not valid UTF-8; else the name.
std::string UnescapeRawNameBytes(std::string_view utf8Name);

// A CP932 name whose "\" separators were turned into "/" by the reader also
// lost the 0x5C trail bytes of double-byte characters (such as 0x95 0x5C):
// puts those back. Names that are valid UTF-8 are returned unchanged.
std::string RepairCp932TrailSlashes(std::string_view raw);

// "\" becomes "/" (a UTF-8 string has no 0x5C trail bytes).
std::string NormaliseSeparators(std::string_view utf8Name);

}  // namespace zr::archivers
