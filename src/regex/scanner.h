#pragma once
// Reading a CP932 pattern as characters and cutting it into tokens.
// Positions are 1-based byte indexes: the index of the next unread byte.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "regex/scanner_error.h"

namespace zr::regex {

// A single byte's value, or lead byte * 256 + trail byte. 0 ends a pattern.
using CharCode = std::uint16_t;

inline constexpr CharCode kMaxCharCode = 0xFCFC;

// The characters with a meaning outside a class, in their fixed order.
inline constexpr std::string_view MetaChars = "^(|)+*?.[]$\\";

enum TokenKind : std::uint8_t {
    tkChar,
    tkRange,
    tkUnion,
    tkLParen,
    tkRParen,
    tkStar,
    tkPlus,
    tkQuestion,
    tkClassStart,
    tkNegClassStart,
    tkClassEnd,
    tkAnyChar,
    tkLineHead,
    tkLineTail,
    tkEnd,
};

// Reads the character at the 1-based index and advances over it. Patterns are
// always read with the CP932 lead-byte ranges. Returns 0 without moving when
// the index is outside the pattern; throws for a lead byte with no trail byte.
CharCode ReadChar(std::string_view pattern, std::size_t &index);

// Moves the index back over the character before it.
void StepBack(std::string_view pattern, std::size_t &index);

// The bytes of a character code.
std::string CharToStr(CharCode code);

// Escapes every metacharacter so the result matches the text literally.
std::string QuoteMeta(std::string_view text);

class TREScanner {
public:
    explicit TREScanner(std::string pattern = {});
    virtual ~TREScanner() = default;

    void SetPattern(std::string pattern);
    TokenKind NextToken();

    const std::string &Pattern() const { return pattern_; }
    std::size_t Position() const { return position_; }
    TokenKind Kind() const { return kind_; }
    CharCode Code() const { return code_; }
    CharCode RangeEnd() const { return rangeEnd_; }
    bool InClass() const { return inClass_; }

protected:
    virtual TokenKind ScanToken();
    virtual TokenKind ScanClassToken();

private:
    CharCode Read();
    void Back();
    [[noreturn]] void Fail(const char *message) const;
    CharCode ScanEscape();
    CharCode ScanHexEscape();
    CharCode ScanOctalEscape();

    std::string pattern_;
    std::size_t position_ = 1;
    TokenKind kind_ = tkEnd;
    CharCode code_ = 0;
    CharCode rangeEnd_ = 0;
    bool inClass_ = false;
};

}  // namespace zr::regex
