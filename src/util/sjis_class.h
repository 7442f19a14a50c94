#pragma once
// Fixed Shift-JIS byte classes, independent of the system code page. Used to
// recognise CP932 text files.

namespace zr {

constexpr bool IsPrintableAscii(unsigned char c) { return c >= 0x20 && c <= 0x7E; }
constexpr bool IsHalfWidthKana(unsigned char c) { return c >= 0xA1 && c <= 0xDF; }
constexpr bool IsSjisLeadByte(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}
constexpr bool IsSjisTrailByte(unsigned char c) { return c >= 0x40 && c <= 0xFC; }

}  // namespace zr
