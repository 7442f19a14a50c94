#pragma once
// MSB-first bit reader over one entry's compressed bytes. Reading past the
// end yields zero bits for a short while (a decoder may look ahead of the
// last code), then fails, so a decoder on hostile data cannot run for long
// on invented input; consumedBits() lets the caller reject any overrun.

#include <cstdint>
#include <vector>

#include "archivers/arj/arj_reader.h"

namespace zr::arj::detail {

class BitReader {
public:
    BitReader(const ArjSource &source, std::uint64_t offset, std::uint32_t size);

    // The next `count` bits (1..16) without consuming them.
    std::uint32_t peek(int count)
    {
        if (available_ < count)
            refill();
        return static_cast<std::uint32_t>(bits_ >> (64 - count));
    }
    void skip(int count)
    {
        if (available_ < count)
            refill();
        bits_ <<= count;
        available_ -= count;
        consumed_ += static_cast<std::uint64_t>(count);
    }
    // Reads `count` bits (0..16).
    std::uint32_t read(int count)
    {
        if (count == 0)
            return 0;
        const std::uint32_t value = peek(count);
        skip(count);
        return value;
    }

    std::uint64_t consumedBits() const { return consumed_; }
    bool overran() const { return consumed_ > static_cast<std::uint64_t>(size_) * 8; }

private:
    // Tops the buffer up to at least 57 bits from the current chunk; the
    // out-of-line part handles chunk ends and the end of the data.
    void refill()
    {
        while (available_ <= 56 && chunkPos_ < chunkLen_) {
            bits_ |= static_cast<std::uint64_t>(chunk_[chunkPos_++]) << (56 - available_);
            available_ += 8;
        }
        if (available_ <= 56)
            refillAcrossChunks();
    }
    void refillAcrossChunks();
    std::uint8_t nextByte();
    void loadChunk();

    const ArjSource &source_;
    std::uint64_t offset_;
    std::uint32_t size_;
    std::uint64_t loaded_ = 0;  // bytes of the entry read into chunk_ so far
    std::vector<std::uint8_t> chunk_;
    std::size_t chunkPos_ = 0;
    std::size_t chunkLen_ = 0;
    std::uint64_t bits_ = 0;  // left-aligned: the next bit is bit 63
    int available_ = 0;
    std::uint64_t consumed_ = 0;
    std::uint32_t overrunBytes_ = 0;
};

}  // namespace zr::arj::detail
