#pragma once
// Character-boundary helpers for the system code page. A path or name is a
// byte string; a separator or delimiter byte is only one when it is not the
// second byte of a double-byte character (in CP932 the trail byte of "ソ" is
// 0x5C, the backslash).

#include <cstddef>
#include <string>
#include <string_view>

namespace zr {

enum class ByteKind { Single = 0, Lead = 1, Trail = 2 };

// The system code page's lead-byte test.
bool IsLeadByte(unsigned char c);

// Kind of the byte at pos (0-based), walking from the start of text. A zero
// byte met before pos, or a pos past the end, yields Single.
ByteKind ByteKindAt(std::string_view text, std::size_t pos);

// True when the last byte equals c and is a character of its own.
bool EndsWithChar(std::string_view text, char c);

// 1-based: the position of the next character after the one at pos, or -1
// when pos is at or after the last byte.
long NextCharPos(std::string_view text, long pos);

// 1-based position of the first character-aligned occurrence of sub, 0 when
// there is none or sub is empty.
std::size_t PosDBCS(std::string_view sub, std::string_view text);

// 0-based offset of the first character-aligned occurrence of the single byte
// c, or npos.
std::size_t ScanCharDBCS(std::string_view text, char c);

// Number of character-aligned occurrences of the single byte c.
std::size_t CountCharDBCS(std::string_view text, char c);

// The longest start of text of at most maxBytes bytes that ends on a
// character boundary.
std::string CutOnCharBoundary(std::string_view text, std::size_t maxBytes);

// A-Z become a-z; bytes of multi-byte characters are kept.
std::string LowerAscii(std::string_view text);

// Ordering of the LowerAscii forms: ASCII letters without case, all other
// characters as they are.
int CompareNoCaseAscii(std::string_view a, std::string_view b);

}  // namespace zr
