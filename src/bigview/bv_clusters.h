#pragma once
// Character traits for laying out display rows: what attaches to the
// character before it (a decomposed "テ" + "゛" from a macOS archive shows as
// one) and what takes two display columns.

#include <cstddef>
#include <string_view>

namespace zr {

// The code point of the UTF-8 sequence at text[pos]; U+FFFD for a broken one.
char32_t DecodeUtf8At(std::string_view text, std::size_t pos);

// Marks and joiners that attach to the character before them.
bool IsExtendingCodePoint(char32_t c);

// East Asian wide and full-width characters take two columns.
bool IsWideCodePoint(char32_t c);

}  // namespace zr
