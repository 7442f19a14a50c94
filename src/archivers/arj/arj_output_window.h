#pragma once
// The decoders' history window and output: keeps the last 64 KiB produced
// (more than any ARJ match can reach back), hands finished data to the sink,
// computes its CRC-32 and never lets the output exceed the declared size.

#include <cstdint>
#include <vector>

#include "archivers/arj/arj_crc32.h"
#include "archivers/arj/arj_reader.h"

namespace zr::arj::detail {

class OutputWindow {
public:
    OutputWindow(std::uint32_t limit, const ArjSink &sink);

    // True once the declared size is reached or the sink asked to stop.
    bool finished() const { return stopped_ || produced_ >= limit_; }
    bool stopped() const { return stopped_; }
    std::uint64_t produced() const { return produced_; }
    std::uint32_t crc() const { return crc_.value(); }

    void putLiteral(std::uint8_t byte)
    {
        ring_[pos_++] = byte;
        ++produced_;
        if (pos_ == kSize)
            wrap();
    }
    // Copies `length` bytes starting `distance` bytes back (1 = the last
    // byte), cut at the declared size. Throws kCorruptData when the match
    // reaches before the first byte.
    void copyMatch(std::uint32_t distance, std::uint32_t length);
    // Passes bytes straight through (stored entries), cut at the declared size.
    void writeThrough(const char *data, std::size_t size);
    // Hands the rest to the sink; call once the decoder is finished.
    void flush();

private:
    static constexpr std::size_t kSize = 1 << 16;
    void wrap();
    void deliver(const char *data, std::size_t size);

    std::uint32_t limit_;
    const ArjSink &sink_;
    std::vector<std::uint8_t> ring_;
    std::size_t pos_ = 0;
    std::size_t flushed_ = 0;  // ring position up to which data went to the sink
    std::uint64_t produced_ = 0;
    bool stopped_ = false;
    Crc32 crc_;
};

}  // namespace zr::arj::detail
