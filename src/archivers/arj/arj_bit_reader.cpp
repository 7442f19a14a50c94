#include "archivers/arj/arj_bit_reader.h"

#include <algorithm>

namespace zr::arj::detail {
namespace {

constexpr std::size_t kChunkSize = 64 * 1024;
// Zero bytes handed out past the end before the stream counts as broken:
// enough for the look-ahead of a 64-bit buffer and a 16-bit peek.
constexpr std::uint32_t kMaxOverrunBytes = 16;

}  // namespace

BitReader::BitReader(const ArjSource &source, std::uint64_t offset, std::uint32_t size)
    : source_(source), offset_(offset), size_(size), chunk_(std::min<std::size_t>(kChunkSize, size))
{
}

void BitReader::refillAcrossChunks()
{
    while (available_ <= 56) {
        bits_ |= static_cast<std::uint64_t>(nextByte()) << (56 - available_);
        available_ += 8;
    }
}

std::uint8_t BitReader::nextByte()
{
    if (chunkPos_ == chunkLen_)
        loadChunk();
    if (chunkPos_ < chunkLen_)
        return chunk_[chunkPos_++];
    if (++overrunBytes_ > kMaxOverrunBytes) {
        throw ArjError(ArjErrorCode::kCorruptData, "compressed data ends before the entry is complete");
    }
    return 0;
}

void BitReader::loadChunk()
{
    chunkPos_ = 0;
    chunkLen_ = 0;
    if (loaded_ >= size_)
        return;
    const std::size_t want = std::min<std::uint64_t>(chunk_.size(), size_ - loaded_);
    chunkLen_ = source_.readAt(offset_ + loaded_, chunk_.data(), want);
    if (chunkLen_ != want)
        throw ArjError(ArjErrorCode::kTruncated, "archive ends inside an entry's data");
    loaded_ += chunkLen_;
}

}  // namespace zr::arj::detail
