#include "archivers/core/stored_name.h"

#include <algorithm>

#include "platform/codepage.h"
#include "platform/mbchar.h"

namespace zr::archivers {

std::string StoredNameToUtf8(std::string_view raw)
{
    if (platform::IsValidUtf8(raw))
        return std::string(raw);
    const auto converted = platform::Cp932ToUtf8(raw);
    if (converted.ok)
        return converted.text;
    return platform::Cp932ToUtf8Lossy(raw);
}

std::string UnescapeRawNameBytes(std::string_view utf8Name)
{
    std::string raw;
    raw.reserve(utf8Name.size());
    bool escaped = false;
    for (std::size_t i = 0; i < utf8Name.size(); ++i) {
        const auto b0 = static_cast<unsigned char>(utf8Name[i]);
        if (b0 == 0xEE && i + 2 < utf8Name.size()) {
            const auto b1 = static_cast<unsigned char>(utf8Name[i + 1]);
            const auto b2 = static_cast<unsigned char>(utf8Name[i + 2]);
            if ((b1 == 0xBE || b1 == 0xBF) && (b2 & 0xC0) == 0x80) {
                raw += static_cast<char>((b1 == 0xBE ? 0x80 : 0xC0) + (b2 & 0x3F));
                escaped = true;
                i += 2;
                continue;
            }
        }
        raw += static_cast<char>(b0);
    }
    if (!escaped || platform::IsValidUtf8(raw))
        return std::string(utf8Name);
    return raw;
}

std::string RepairCp932TrailSlashes(std::string_view raw)
{
    std::string out(raw);
    if (platform::IsValidUtf8(raw))
        return out;
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (!platform::IsCp932LeadByte(static_cast<unsigned char>(out[i])) || i + 1 >= out.size())
            continue;
        if (out[i + 1] == '/')
            out[i + 1] = '\\';
        ++i;  // skip the trail byte
    }
    return out;
}

std::string NormaliseSeparators(std::string_view utf8Name)
{
    std::string out(utf8Name);
    std::replace(out.begin(), out.end(), '\\', '/');
    return out;
}

}  // namespace zr::archivers
