#include "archivers/core/raw_inflater.h"

#include <algorithm>
#include <limits>
#include <zlib.h>

#if ZR_HAVE_ISAL
#include <isa-l/crc.h>
#include <isa-l/igzip_lib.h>
#endif

namespace zr::archivers {

namespace {

// Both libraries count buffer sizes in 32 bits.
constexpr std::size_t kMaxStep = std::numeric_limits<std::uint32_t>::max() / 2;

class ZlibInflater final : public RawInflater {
public:
    ZlibInflater() { ok_ = inflateInit2(&z_, -MAX_WBITS) == Z_OK; }
    ~ZlibInflater() override
    {
        if (ok_)
            inflateEnd(&z_);
    }
    void reset() override
    {
        if (ok_)
            inflateReset(&z_);
    }
    InflateStatus inflate(InflateBuffers &b) override
    {
        if (!ok_) {
            error_ = "out of memory";
            return InflateStatus::kError;
        }
        const std::size_t inStep = std::min(b.inSize, kMaxStep), outStep = std::min(b.outSize, kMaxStep);
        z_.next_in = const_cast<Bytef *>(b.in);
        z_.avail_in = static_cast<uInt>(inStep);
        z_.next_out = b.out;
        z_.avail_out = static_cast<uInt>(outStep);
        const int r = ::inflate(&z_, Z_NO_FLUSH);
        b.in += inStep - z_.avail_in;
        b.inSize -= inStep - z_.avail_in;
        b.out += outStep - z_.avail_out;
        b.outSize -= outStep - z_.avail_out;
        if (r == Z_STREAM_END)
            return InflateStatus::kEnd;
        if (r == Z_OK || r == Z_BUF_ERROR)
            return InflateStatus::kProgress;
        error_ = z_.msg ? z_.msg : "invalid deflate data";
        return InflateStatus::kError;
    }
    const char *errorText() const override { return error_; }

private:
    z_stream z_{};
    bool ok_ = false;
    const char *error_ = "";
};

#if ZR_HAVE_ISAL
class IsalInflater final : public RawInflater {
public:
    IsalInflater()
    {
        state_ = std::make_unique_for_overwrite<inflate_state>();  // set up by the init below
        isal_inflate_init(state_.get());
    }
    void reset() override { isal_inflate_reset(state_.get()); }
    InflateStatus inflate(InflateBuffers &b) override
    {
        inflate_state &s = *state_;
        const std::size_t inStep = std::min(b.inSize, kMaxStep), outStep = std::min(b.outSize, kMaxStep);
        s.next_in = const_cast<std::uint8_t *>(b.in);
        s.avail_in = static_cast<std::uint32_t>(inStep);
        s.next_out = b.out;
        s.avail_out = static_cast<std::uint32_t>(outStep);
        const int r = isal_inflate(&s);
        const std::uint8_t *inEnd = b.in + b.inSize;
        if (s.block_state == ISAL_BLOCK_FINISH) {
            // Whole bytes read ahead into the bit buffer belong to what
            // follows; they may have come with an earlier call, which is why
            // the input must be one buffer handed over piece after piece.
            const auto unread = static_cast<std::uint32_t>(s.read_in_length / 8);
            s.next_in -= unread;
            s.read_in = 0;
            s.read_in_length = 0;
        }
        b.in = s.next_in;
        b.inSize = static_cast<std::size_t>(inEnd - s.next_in);
        b.out += outStep - s.avail_out;
        b.outSize -= outStep - s.avail_out;
        if (r < 0) {
            error_ = ErrorText(r);
            return InflateStatus::kError;
        }
        return s.block_state == ISAL_BLOCK_FINISH ? InflateStatus::kEnd : InflateStatus::kProgress;
    }
    const char *errorText() const override { return error_; }

private:
    static const char *ErrorText(int r)
    {
        switch (r) {
        case ISAL_INVALID_BLOCK:
            return "invalid deflate block";
        case ISAL_INVALID_SYMBOL:
            return "invalid deflate symbol";
        case ISAL_INVALID_LOOKBACK:
            return "invalid deflate distance";
        default:
            return "invalid deflate data";
        }
    }

    std::unique_ptr<inflate_state> state_;
    const char *error_ = "";
};
#endif

}  // namespace

InflateBackend DefaultInflateBackend()
{
    return ZR_HAVE_ISAL ? InflateBackend::kIsal : InflateBackend::kZlib;
}

bool InflateBackendAvailable(InflateBackend backend)
{
    return backend == InflateBackend::kZlib || ZR_HAVE_ISAL;
}

const char *InflateBackendName(InflateBackend backend)
{
    return backend == InflateBackend::kIsal ? "ISA-L" : "zlib";
}

std::unique_ptr<RawInflater> MakeRawInflater(InflateBackend backend)
{
#if ZR_HAVE_ISAL
    if (backend == InflateBackend::kIsal)
        return std::make_unique<IsalInflater>();
#else
    (void)backend;
#endif
    return std::make_unique<ZlibInflater>();
}

std::uint32_t Crc32Update(std::uint32_t crc, const void *data, std::size_t size)
{
#if ZR_HAVE_ISAL
    return crc32_gzip_refl(crc, static_cast<const unsigned char *>(data), size);
#else
    const auto *p = static_cast<const Bytef *>(data);
    while (size > 0) {
        const std::size_t step = std::min(size, kMaxStep);
        crc = static_cast<std::uint32_t>(crc32(crc, p, static_cast<uInt>(step)));
        p += step;
        size -= step;
    }
    return crc;
#endif
}

}  // namespace zr::archivers
