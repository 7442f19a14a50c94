#pragma once
// Guesses the encoding of a text from its first block: byte-order marks,
// ISO-2022-JP escapes, valid UTF-8, then CP932 against EUC-JP by which byte
// pairs each reading gives. The rule and its measured error rate are in
// docs/decisions.md.

#include "regex/text_encoding.h"

#include <cstddef>
#include <string_view>

namespace zr::regex {

struct TDetection {
    TTextEncoding encoding = TTextEncoding::teAscii;
    std::size_t bomLength = 0;  // bytes of a byte-order mark to skip
};

// block: the bytes to judge. atFileStart: block begins the file, so a
// byte-order mark or UTF-16 counts. wholeRest: nothing follows the block, so
// a character cut at its end is an error rather than the block's edge.
TDetection DetectEncoding(std::string_view block, bool atFileStart, bool wholeRest);

// Byte order of UTF-16 text without a mark, from where the zero bytes of its
// ASCII characters fall; little-endian when nothing tells.
TTextEncoding GuessUtf16ByteOrder(std::string_view block);

}  // namespace zr::regex
