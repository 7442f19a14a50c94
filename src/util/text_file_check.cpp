#include "util/text_file_check.h"

#include "platform/codepage.h"
#include "platform/mbchar.h"
#include "util/sjis_class.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zr {

namespace {
constexpr std::size_t kHeadBytes = 50;

bool IsTextControl(unsigned char c) { return c == '\t' || c == '\n' || c == '\r'; }

// Drops an incomplete multi-byte character at the end (cut by the read limit).
std::string_view WithoutCutTail(std::string_view text)
{
    const std::size_t back = text.size() < 3 ? text.size() : 3;
    for (std::size_t k = 1; k <= back; ++k) {
        const auto c = static_cast<unsigned char>(text[text.size() - k]);
        if ((c & 0xC0) == 0x80)
            continue;  // continuation byte: keep looking for its lead
        if (platform::Utf8SequenceLength(c) > k)
            return text.substr(0, text.size() - k);
        break;
    }
    return text;
}

std::string ReadHead(const std::string &path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return {};
    std::string head;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        char buf[kHeadBytes];
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n > 0)
            head.assign(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return head;
}
}  // namespace

bool LooksLikeSjisText(std::string_view head)
{
    bool expectTrail = false;
    for (const char ch : head) {
        const auto c = static_cast<unsigned char>(ch);
        if (expectTrail) {
            if (!IsSjisTrailByte(c))
                return false;
            expectTrail = false;
        } else if (IsSjisLeadByte(c)) {
            expectTrail = true;
        } else if (!IsPrintableAscii(c) && !IsHalfWidthKana(c) && !IsTextControl(c)) {
            return false;
        }
    }
    return true;
}

bool LooksLikeUtf8Text(std::string_view head)
{
    const std::string_view whole = WithoutCutTail(head);
    for (const char ch : whole) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80 && !IsPrintableAscii(c) && !IsTextControl(c))
            return false;
    }
    return platform::IsValidUtf8(whole);
}

bool IsTextFile(const std::string &path)
{
    const std::string head = ReadHead(path);
    if (head.empty())
        return false;
    return LooksLikeSjisText(head) || LooksLikeUtf8Text(head);
}

}  // namespace zr
