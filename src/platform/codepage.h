#pragma once
// CP932 (Shift-JIS with the NEC and IBM extensions) <-> UTF-8 through glibc
// iconv. Conversions never drop input silently: they report where they failed.

#include <cstddef>
#include <string>
#include <string_view>

namespace zr::platform {

struct ConversionResult {
    bool ok = false;
    std::string text;             // converted text (the part before the failure when !ok)
    std::size_t errorOffset = 0;  // byte offset in the input where conversion failed
};

ConversionResult Cp932ToUtf8(std::string_view cp932);
ConversionResult Utf8ToCp932(std::string_view utf8);

// For display only: converts what it can and replaces each byte that cannot
// be converted (such as a double-byte character cut in half) with U+FFFD.
std::string Cp932ToUtf8Lossy(std::string_view cp932);

bool IsValidUtf8(std::string_view text);

}  // namespace zr::platform
