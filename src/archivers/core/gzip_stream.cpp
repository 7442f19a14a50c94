#include "archivers/core/gzip_stream.h"

#include "archivers/core/byte_view.h"

namespace zr::archivers {

namespace {

// Big enough that the per-call cost vanishes, small enough to stay in cache
// for the CRC and the reader that takes it.
constexpr std::size_t kChunkSize = 256 * 1024;

enum GzipFlag : unsigned {
    kHeaderCrc = 0x02,
    kExtra = 0x04,
    kName = 0x08,
    kComment = 0x10,
    kReserved = 0xE0
};

// Past a zero-terminated field starting at `at`.
std::optional<std::size_t> SkipZeroTerminated(std::string_view d, std::size_t at)
{
    const auto end = d.find('\0', at);
    return end == std::string_view::npos ? std::nullopt : std::optional<std::size_t>(end + 1);
}

// The position of the deflate data of the member starting at `at`.
std::optional<std::size_t> SkipMemberHeader(std::string_view d, std::size_t at)
{
    if (!LooksLikeGzip(d.substr(at)) || d.size() - at < 10)
        return std::nullopt;
    const unsigned flags = ByteAt(d, at + 3);
    if (flags & kReserved)
        return std::nullopt;
    std::optional<std::size_t> p = at + 10;
    if ((flags & kExtra) && p)
        p = *p + 2 <= d.size() ? AdvanceWithin(*p + 2, Le16At(d, *p), d.size()) : std::nullopt;
    if ((flags & kName) && p)
        p = SkipZeroTerminated(d, *p);
    if ((flags & kComment) && p)
        p = SkipZeroTerminated(d, *p);
    if ((flags & kHeaderCrc) && p)
        p = AdvanceWithin(*p, 2, d.size());
    return p;
}

}  // namespace

bool LooksLikeGzip(std::string_view data)
{
    return data.size() >= 3 && ByteAt(data, 0) == 0x1f && ByteAt(data, 1) == 0x8b && ByteAt(data, 2) == 8;
}

GzipStream::GzipStream(std::string_view compressed, InflateBackend backend)
    : data_(compressed), inflater_(MakeRawInflater(backend)), out_(kChunkSize)
{
}

bool GzipStream::fail(std::string text)
{
    error_ = std::move(text);
    return false;
}

bool GzipStream::startMember()
{
    const auto start = SkipMemberHeader(data_, pos_);
    if (!start)
        return fail(pos_ == 0 ? "not in gzip format" : "damaged gzip header");
    pos_ = *start;
    inflater_->reset();
    crc_ = 0;
    memberSize_ = 0;
    inMember_ = true;
    return true;
}

bool GzipStream::finishMember()
{
    inMember_ = false;
    if (data_.size() - pos_ < 8)
        return fail("unexpected end of gzip data");
    if (Le32At(data_, pos_) != crc_)
        return fail("gzip CRC error");
    if (Le32At(data_, pos_ + 4) != memberSize_)
        return fail("gzip size error");
    pos_ += 8;
    // Another member may follow; anything else ends the stream.
    ended_ = !LooksLikeGzip(data_.substr(pos_));
    return true;
}

bool GzipStream::read(std::string_view &chunk)
{
    chunk = {};
    if (!error_.empty())
        return false;
    while (!ended_) {
        if (!inMember_ && !startMember())
            return false;
        InflateBuffers b;
        b.in = reinterpret_cast<const std::uint8_t *>(data_.data()) + pos_;
        b.inSize = data_.size() - pos_;
        b.out = out_.data();
        b.outSize = out_.size();
        const InflateStatus status = inflater_->inflate(b);
        const std::size_t consumed = data_.size() - b.inSize - pos_;
        pos_ = data_.size() - b.inSize;
        const std::size_t produced = out_.size() - b.outSize;
        crc_ = Crc32Update(crc_, out_.data(), produced);
        memberSize_ += static_cast<std::uint32_t>(produced);
        if (status == InflateStatus::kError)
            return fail(std::string("gzip data error: ") + inflater_->errorText());
        if (status == InflateStatus::kEnd && !finishMember())
            return false;
        if (status == InflateStatus::kProgress && produced == 0 && consumed == 0)
            return fail(b.inSize == 0 ? "unexpected end of gzip data" : "gzip data error");
        if (produced > 0) {
            chunk = std::string_view(reinterpret_cast<const char *>(out_.data()), produced);
            return true;
        }
    }
    return true;
}

}  // namespace zr::archivers
