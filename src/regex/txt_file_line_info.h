#pragma once
// What a scan reports for each matching line.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zr::regex {

// A geta mark "〓" that stands in the line for a character the file holds
// but CP932 cannot (or for bytes no character could be read from).
struct TLineSubstitution {
    std::size_t Offset = 0;  // byte offset of the mark in Line
    std::string Original;    // the file's character, UTF-8 (U+FFFD for bad bytes)
    bool operator==(const TLineSubstitution &) const = default;
};

struct RE_LineInfo_t {
    std::string Line;         // CP932 bytes, without the line break
    std::int32_t LineNo = 0;  // 1-based
    // Empty unless the file was converted to CP932 and lost characters.
    std::vector<TLineSubstitution> Substitutes = {};
};

}  // namespace zr::regex
