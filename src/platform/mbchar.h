#pragma once
// The system code page's multi-byte rule, used by the path, string and view
// helpers. Linux file names are UTF-8; tests switch to CP932 to reproduce the
// double-byte cases of Japanese Windows (a trail byte equal to '\\').

#include <cstddef>
#include <string_view>

namespace zr::platform {

enum class CodePageMode { Utf8, Cp932 };

CodePageMode SystemCodePageMode();
void SetSystemCodePageMode(CodePageMode mode);

// Scoped switch for tests.
class ScopedCodePageMode {
public:
    explicit ScopedCodePageMode(CodePageMode mode) : saved_(SystemCodePageMode())
    {
        SetSystemCodePageMode(mode);
    }
    ~ScopedCodePageMode() { SetSystemCodePageMode(saved_); }
    ScopedCodePageMode(const ScopedCodePageMode &) = delete;
    ScopedCodePageMode &operator=(const ScopedCodePageMode &) = delete;

private:
    CodePageMode saved_;
};

// CP932 lead-byte ranges (0x81-0x9F, 0xE0-0xFC), whatever the system mode.
constexpr bool IsCp932LeadByte(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Length a UTF-8 lead byte announces (2-4); 1 for ASCII and bytes that cannot
// start a sequence.
constexpr std::size_t Utf8SequenceLength(unsigned char c)
{
    if (c >= 0xC2 && c <= 0xDF)
        return 2;
    if (c >= 0xE0 && c <= 0xEF)
        return 3;
    if (c >= 0xF0 && c <= 0xF4)
        return 4;
    return 1;
}

// True when the byte starts a multi-byte character in the system code page.
bool IsSystemLeadByte(unsigned char c);

// Byte length of the character that starts at text[pos] in the system code
// page (1 for a single byte, an invalid sequence or a truncated tail); never
// runs past the end of text. 0 when pos is at or past the end.
std::size_t MultiByteCharLengthAt(std::string_view text, std::size_t pos);
// ASCII, most of every name the finder matches, is decided here inline.
inline std::size_t CharLengthAt(std::string_view text, std::size_t pos)
{
    if (pos < text.size() && static_cast<unsigned char>(text[pos]) < 0x80)
        return 1;
    return MultiByteCharLengthAt(text, pos);
}

// True when text[pos] is a continuation byte of a character that starts
// before pos (walking from the start of text).
bool IsInsideCharAt(std::string_view text, std::size_t pos);

}  // namespace zr::platform
