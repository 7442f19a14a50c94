#include "archivers/core/xz_stream.h"

#include <algorithm>
#include <thread>

namespace zr::archivers {

namespace {

constexpr std::size_t kChunkSize = 256 * 1024;
// Threads hold a block each; past this liblzma decodes on one thread, so a
// worker stays within its memory budget whatever the block size.
constexpr std::uint64_t kThreadingMemory = 48u << 20;

const char *LzmaErrorText(lzma_ret r)
{
    switch (r) {
    case LZMA_MEM_ERROR:
        return "xz: out of memory";
    case LZMA_MEMLIMIT_ERROR:
        return "xz: memory limit reached";
    case LZMA_FORMAT_ERROR:
        return "not in xz format";
    case LZMA_OPTIONS_ERROR:
        return "xz: unsupported options";
    case LZMA_DATA_ERROR:
        return "xz data error";
    case LZMA_BUF_ERROR:
        return "unexpected end of xz data";
    default:
        return "xz decoding error";
    }
}

}  // namespace

bool LooksLikeXz(std::string_view data)
{
    static constexpr char kMagic[] = {'\xFD', '7', 'z', 'X', 'Z', '\0'};
    return data.substr(0, sizeof kMagic) == std::string_view(kMagic, sizeof kMagic);
}

XzStream::XzStream(std::string_view compressed) : data_(compressed), out_(kChunkSize)
{
    lzma_mt mt{};
    mt.threads = std::max(1u, std::min(std::thread::hardware_concurrency(), 4u));
    mt.memlimit_threading = kThreadingMemory;
    mt.memlimit_stop = UINT64_MAX;
    // Concatenated streams read on, as xz -d does.
    mt.flags = LZMA_CONCATENATED;
    const lzma_ret r = lzma_stream_decoder_mt(&strm_, &mt);
    if (r != LZMA_OK)
        error_ = LzmaErrorText(r);
    strm_.next_in = reinterpret_cast<const std::uint8_t *>(data_.data());
    strm_.avail_in = data_.size();
}

XzStream::~XzStream() { lzma_end(&strm_); }

bool XzStream::read(std::string_view &chunk)
{
    chunk = {};
    if (!error_.empty())
        return false;
    while (!ended_) {
        strm_.next_out = out_.data();
        strm_.avail_out = out_.size();
        // All input is there from the start: finishing tells a cut stream from one to wait for.
        const lzma_ret r = lzma_code(&strm_, LZMA_FINISH);
        const std::size_t produced = out_.size() - strm_.avail_out;
        if (r == LZMA_STREAM_END)
            ended_ = true;
        else if (r != LZMA_OK) {
            error_ = LzmaErrorText(r);
            return false;
        }
        if (produced > 0) {
            chunk = std::string_view(reinterpret_cast<const char *>(out_.data()), produced);
            return true;
        }
    }
    return true;
}

}  // namespace zr::archivers
