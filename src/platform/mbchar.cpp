#include "platform/mbchar.h"

#include <atomic>

namespace zr::platform {

namespace {
std::atomic<CodePageMode> g_mode{CodePageMode::Utf8};

bool IsUtf8Continuation(unsigned char c) { return (c & 0xC0) == 0x80; }
}  // namespace

CodePageMode SystemCodePageMode() { return g_mode.load(); }
void SetSystemCodePageMode(CodePageMode mode) { g_mode.store(mode); }

bool IsSystemLeadByte(unsigned char c)
{
    if (SystemCodePageMode() == CodePageMode::Cp932)
        return IsCp932LeadByte(c);
    return Utf8SequenceLength(c) > 1;
}

std::size_t MultiByteCharLengthAt(std::string_view text, std::size_t pos)
{
    if (pos >= text.size())
        return 0;
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (SystemCodePageMode() == CodePageMode::Cp932)
        return (IsCp932LeadByte(lead) && pos + 1 < text.size()) ? 2 : 1;
    const std::size_t want = Utf8SequenceLength(lead);
    if (pos + want > text.size())
        return 1;
    for (std::size_t i = 1; i < want; ++i) {
        if (!IsUtf8Continuation(static_cast<unsigned char>(text[pos + i])))
            return 1;
    }
    return want;
}

bool IsInsideCharAt(std::string_view text, std::size_t pos)
{
    std::size_t i = 0;
    while (i < pos && i < text.size())
        i += CharLengthAt(text, i);
    return i > pos;
}

}  // namespace zr::platform
