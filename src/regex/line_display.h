#pragma once
// A reported line as the user should see it: its CP932 bytes in UTF-8, with
// each geta mark that stood in for a character of the file turned back into
// that character.

#include "regex/txt_file_line_info.h"

#include <string>
#include <string_view>
#include <vector>

namespace zr::regex {

// Substitutions at or past the end of cp932Line (a line cut short) are
// ignored; a double-byte character cut at the end shows as U+FFFD.
std::string LineTextForDisplay(std::string_view cp932Line, const std::vector<TLineSubstitution> &substitutes);

// The substitutions that still fall inside the first `length` bytes.
std::vector<TLineSubstitution> SubstitutionsWithin(const std::vector<TLineSubstitution> &substitutes,
                                                   std::size_t length);

}  // namespace zr::regex
