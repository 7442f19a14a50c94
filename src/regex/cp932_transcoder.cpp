#include "regex/cp932_transcoder.h"

#include "platform/mbchar.h"

#include <algorithm>
#include <cerrno>
#include <stdexcept>

namespace zr::regex {

namespace {

constexpr char GetaMark[] = "\x81\xAC";
constexpr char ReplacementCharacter[] = "\xEF\xBF\xBD";
constexpr auto IconvFailed = static_cast<std::size_t>(-1);

// EUC-JP-MS adds the NEC and IBM rows that Windows-made EUC-JP files hold.
const char *IconvName(TTextEncoding from)
{
    switch (from) {
    case TTextEncoding::teUtf8:
        return "UTF-8";
    case TTextEncoding::teUtf16LE:
        return "UTF-16LE";
    case TTextEncoding::teUtf16BE:
        return "UTF-16BE";
    case TTextEncoding::teEucJp:
    case TTextEncoding::teIso2022Jp:
        return "EUC-JP-MS";
    default:
        throw std::invalid_argument("no conversion needed from this encoding");
    }
}

iconv_t OpenIconv(const char *to, const char *from)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
    return cd;
}

bool IsCp932Trail(unsigned char c) { return c >= 0x40 && c <= 0xFC && c != 0x7F; }

}  // namespace

TCp932Transcoder::TCp932Transcoder(TTextEncoding from, std::uint64_t outputOffset)
    : from_(from), toCp932_(OpenIconv("CP932", IconvName(from))), toUtf8_(iconv_t{}), produced_(outputOffset)
{
    try {
        toUtf8_ = OpenIconv("UTF-8", IconvName(from));
    } catch (...) {
        iconv_close(toCp932_);
        throw;
    }
}

TCp932Transcoder::~TCp932Transcoder()
{
    iconv_close(toCp932_);
    iconv_close(toUtf8_);
}

std::size_t TCp932Transcoder::Convert(std::string_view input, bool final, std::string &out)
{
    callStartOffset_ = produced_;
    callStartSize_ = out.size();
    std::size_t used = input.size();
    if (from_ == TTextEncoding::teIso2022Jp) {
        used = iso2022jp_.Convert(input, final, eucFromIso_);
        eucFromIso_.erase(0, ConvertDecodable(eucFromIso_, final, out));
    } else {
        used = ConvertDecodable(input, final, out);
    }
    produced_ += out.size() - callStartSize_;
    return used;
}

std::size_t TCp932Transcoder::ConvertDecodable(std::string_view input, bool final, std::string &out)
{
    std::size_t pos = 0;
    while (pos < input.size()) {
        const std::size_t before = out.size();
        const std::size_t room = (input.size() - pos) * 2 + 16;
        out.resize(before + room);
        char *in = const_cast<char *>(input.data() + pos);
        std::size_t inLeft = input.size() - pos;
        char *outPtr = out.data() + before;
        std::size_t outLeft = room;
        const std::size_t rc = iconv(toCp932_, &in, &inLeft, &outPtr, &outLeft);
        const int error = errno;
        out.resize(before + (room - outLeft));
        pos = static_cast<std::size_t>(in - input.data());
        if (rc != IconvFailed || error == E2BIG)
            continue;
        const std::size_t length = CharLength(input, pos);
        if (error == EILSEQ && pos + length <= input.size()) {
            std::string original;
            if (DecodesAlone(input.substr(pos, length), original)) {
                ++unmappable_;
                Substitute(std::move(original), out);
                pos += length;
                continue;
            }
        }
        const std::size_t next = TakeUndecodable(input, pos, final, out);
        if (next == pos)
            break;  // a character cut by the end of this input
        pos = next;
    }
    return pos;
}

std::size_t TCp932Transcoder::CharLength(std::string_view input, std::size_t pos) const
{
    const auto c = static_cast<unsigned char>(input[pos]);
    switch (from_) {
    case TTextEncoding::teUtf8:
        return platform::Utf8SequenceLength(c);
    case TTextEncoding::teUtf16LE:
    case TTextEncoding::teUtf16BE: {
        const std::size_t highByte = from_ == TTextEncoding::teUtf16LE ? pos + 1 : pos;
        const bool surrogate =
            highByte < input.size() && (static_cast<unsigned char>(input[highByte]) & 0xFC) == 0xD8;
        return surrogate ? 4 : 2;
    }
    default:
        if (c == 0x8F)
            return 3;
        return c == 0x8E || (c >= 0xA1 && c <= 0xFE) ? 2 : 1;
    }
}

bool TCp932Transcoder::DecodesAlone(std::string_view bytes, std::string &utf8)
{
    iconv(toUtf8_, nullptr, nullptr, nullptr, nullptr);
    char buffer[16];
    char *in = const_cast<char *>(bytes.data());
    std::size_t inLeft = bytes.size();
    char *outPtr = buffer;
    std::size_t outLeft = sizeof buffer;
    if (iconv(toUtf8_, &in, &inLeft, &outPtr, &outLeft) == IconvFailed || inLeft != 0)
        return false;
    utf8.assign(buffer, static_cast<std::size_t>(outPtr - buffer));
    return true;
}

std::size_t TCp932Transcoder::TakeUndecodable(std::string_view input, std::size_t pos, bool final,
                                              std::string &out)
{
    const std::size_t left = input.size() - pos;
    if (!final && left < CharLength(input, pos))
        return pos;
    ++undecodable_;
    if (from_ == TTextEncoding::teUtf16LE || from_ == TTextEncoding::teUtf16BE) {
        Substitute(ReplacementCharacter, out);
        return pos + std::min<std::size_t>(2, left);
    }
    // A line of another encoding in a mixed file: CP932 characters pass as
    // they are, so that line stays searchable too.
    const auto c = static_cast<unsigned char>(input[pos]);
    if (platform::IsCp932LeadByte(c) && left >= 2 &&
        IsCp932Trail(static_cast<unsigned char>(input[pos + 1]))) {
        out.append(input.data() + pos, 2);
        return pos + 2;
    }
    if (platform::IsCp932LeadByte(c) && left < 2 && !final)
        return pos;
    if (c >= 0xA1 && c <= 0xDF) {  // half-width katakana
        out += static_cast<char>(c);
        return pos + 1;
    }
    Substitute(ReplacementCharacter, out);
    return pos + 1;
}

void TCp932Transcoder::Substitute(std::string original, std::string &out)
{
    remembered_.push_back({OutputPosition(out), std::move(original)});
    if (remembered_.size() > MaxRemembered)
        remembered_.pop_front();
    out += GetaMark;
}

std::vector<TLineSubstitution> TCp932Transcoder::TakeSubstitutions(std::uint64_t lineOffset,
                                                                   std::size_t lineLength)
{
    std::vector<TLineSubstitution> found;
    while (!remembered_.empty() && remembered_.front().offset < lineOffset + lineLength) {
        Remembered &front = remembered_.front();
        if (front.offset >= lineOffset)
            found.push_back({static_cast<std::size_t>(front.offset - lineOffset), std::move(front.original)});
        remembered_.pop_front();
    }
    return found;
}

}  // namespace zr::regex
