#pragma once
// Replacing and splitting text. Replacement matches on character boundaries
// of the system code page, so a trail byte never starts a match.

#include <string>
#include <string_view>
#include <vector>

namespace zr {

enum ReplaceFlags : unsigned {
    rfNone = 0,
    rfReplaceAll = 1,
    rfIgnoreCase = 2,  // ASCII letters compare without case
};

std::string ReplaceTextAll(std::string_view source, std::string_view find, std::string_view replacement,
                           unsigned flags);

// Every occurrence of each byte of chars (all single-byte) becomes replacement.
std::string ReplaceChars(std::string_view source, std::string_view chars, std::string_view replacement);

// Appends the pieces of text between delimiters to list (empty pieces too,
// except an empty last piece); returns the list's new size. Byte-wise, so only
// for delimiters that cannot be a trail byte (below 0x40, such as ';').
std::size_t SplitAtChar(std::string_view text, char delimiter, std::vector<std::string> &list);

}  // namespace zr
