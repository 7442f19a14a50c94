#include "platform/codepage.h"

#include <cerrno>
#include <iconv.h>
#include <stdexcept>

namespace zr::platform {

namespace {

class IconvHandle {
public:
    IconvHandle(const char *to, const char *from) : cd_(iconv_open(to, from))
    {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
    }
    ~IconvHandle() { iconv_close(cd_); }
    IconvHandle(const IconvHandle &) = delete;
    IconvHandle &operator=(const IconvHandle &) = delete;
    iconv_t get() const { return cd_; }

private:
    iconv_t cd_;
};

ConversionResult Convert(const char *to, const char *from, std::string_view input)
{
    IconvHandle cd(to, from);
    ConversionResult result;
    std::string out(input.size() * 3 + 8, '\0');
    char *in = const_cast<char *>(input.data());
    std::size_t inLeft = input.size();
    char *outPtr = out.data();
    std::size_t outLeft = out.size();
    while (inLeft > 0) {
        if (iconv(cd.get(), &in, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1))
            break;
        if (errno == E2BIG) {
            const std::size_t used = static_cast<std::size_t>(outPtr - out.data());
            out.resize(out.size() * 2);
            outPtr = out.data() + used;
            outLeft = out.size() - used;
            continue;
        }
        out.resize(static_cast<std::size_t>(outPtr - out.data()));
        result.text = std::move(out);
        result.errorOffset = static_cast<std::size_t>(in - input.data());
        return result;
    }
    out.resize(static_cast<std::size_t>(outPtr - out.data()));
    result.ok = true;
    result.text = std::move(out);
    result.errorOffset = input.size();
    return result;
}

}  // namespace

ConversionResult Cp932ToUtf8(std::string_view cp932) { return Convert("UTF-8", "CP932", cp932); }
ConversionResult Utf8ToCp932(std::string_view utf8) { return Convert("CP932", "UTF-8", utf8); }

// One pass with one converter: restarting the conversion after every bad
// byte made a large undecodable file cost quadratic time.
std::string Cp932ToUtf8Lossy(std::string_view cp932)
{
    IconvHandle cd("UTF-8", "CP932");
    std::string out;
    char buffer[4096];
    char *in = const_cast<char *>(cp932.data());
    std::size_t inLeft = cp932.size();
    while (inLeft > 0) {
        char *outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t rc = iconv(cd.get(), &in, &inLeft, &outPtr, &outLeft);
        const int error = errno;
        out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
        if (rc != static_cast<std::size_t>(-1) || error == E2BIG)
            continue;
        out += "\xEF\xBF\xBD";
        ++in;
        --inLeft;
        iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);
    }
    return out;
}

bool IsValidUtf8(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::size_t len = 0;
        char32_t min = 0;
        if (c < 0x80) {
            ++i;
            continue;
        }
        if (c >= 0xC2 && c <= 0xDF) {
            len = 2;
            min = 0x80;
        } else if (c >= 0xE0 && c <= 0xEF) {
            len = 3;
            min = 0x800;
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4;
            min = 0x10000;
        } else
            return false;
        if (i + len > text.size())
            return false;
        char32_t cp = c & (0x7F >> len);
        for (std::size_t k = 1; k < len; ++k) {
            const auto cc = static_cast<unsigned char>(text[i + k]);
            if ((cc & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += len;
    }
    return true;
}

}  // namespace zr::platform
