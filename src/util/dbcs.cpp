#include "util/dbcs.h"

#include "platform/mbchar.h"

#include <cstring>

namespace zr {

namespace {
// Length of the character starting at pos under the system lead-byte test.
std::size_t CharLength(std::string_view text, std::size_t pos) { return platform::CharLengthAt(text, pos); }
}  // namespace

bool IsLeadByte(unsigned char c) { return platform::IsSystemLeadByte(c); }

ByteKind ByteKindAt(std::string_view text, std::size_t pos)
{
    if (pos >= text.size())
        return ByteKind::Single;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == '\0' && i < pos)
            return ByteKind::Single;
        const std::size_t len = CharLength(text, i);
        if (pos < i + len) {
            if (pos != i)
                return ByteKind::Trail;
            // A lead byte cut off by the end of the text is still a lead byte.
            const bool lead =
                len > 1 || (i + 1 == text.size() && IsLeadByte(static_cast<unsigned char>(text[i])));
            return lead ? ByteKind::Lead : ByteKind::Single;
        }
        i += len;
    }
    return ByteKind::Single;
}

bool EndsWithChar(std::string_view text, char c)
{
    if (text.empty() || text.back() != c)
        return false;
    return ByteKindAt(text, text.size() - 1) == ByteKind::Single;
}

long NextCharPos(std::string_view text, long pos)
{
    if (pos < 1 || static_cast<std::size_t>(pos) >= text.size())
        return -1;
    const std::size_t len = CharLength(text, static_cast<std::size_t>(pos - 1));
    return pos + static_cast<long>(len);
}

std::size_t PosDBCS(std::string_view sub, std::string_view text)
{
    if (sub.empty())
        return 0;
    for (std::size_t i = 0; i < text.size(); i += CharLength(text, i)) {
        if (text.substr(i, sub.size()) == sub)
            return i + 1;
    }
    return 0;
}

std::size_t ScanCharDBCS(std::string_view text, char c)
{
    for (std::size_t i = 0; i < text.size(); i += CharLength(text, i)) {
        if (text[i] == c)
            return i;
    }
    return std::string_view::npos;
}

std::size_t CountCharDBCS(std::string_view text, char c)
{
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); i += CharLength(text, i)) {
        if (text[i] == c)
            ++count;
    }
    return count;
}

std::string CutOnCharBoundary(std::string_view text, std::size_t maxBytes)
{
    std::size_t end = 0;
    while (end < text.size()) {
        const std::size_t next = end + CharLength(text, end);
        if (next > maxBytes)
            break;
        end = next;
    }
    return std::string(text.substr(0, end));
}

std::string LowerAscii(std::string_view text)
{
    std::string out(text);
    for (std::size_t i = 0; i < out.size();) {
        const std::size_t len = CharLength(text, i);
        if (len == 1 && out[i] >= 'A' && out[i] <= 'Z')
            out[i] = static_cast<char>(out[i] - 'A' + 'a');
        i += len;
    }
    return out;
}

int CompareNoCaseAscii(std::string_view a, std::string_view b)
{
    const std::string la = LowerAscii(a);
    const std::string lb = LowerAscii(b);
    int r = std::strcoll(la.c_str(), lb.c_str());
    if (r == 0)
        r = la.compare(lb);  // equal only when the bytes are equal
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

}  // namespace zr
