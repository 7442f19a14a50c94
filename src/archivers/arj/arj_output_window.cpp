#include "archivers/arj/arj_output_window.h"

#include <algorithm>

namespace zr::arj::detail {

OutputWindow::OutputWindow(std::uint32_t limit, const ArjSink &sink)
    : limit_(limit), sink_(sink), ring_(kSize)
{
}

void OutputWindow::copyMatch(std::uint32_t distance, std::uint32_t length)
{
    if (distance == 0 || distance > produced_ || distance > kSize) {
        throw ArjError(ArjErrorCode::kCorruptData,
                       "compressed data refers to bytes before the start of the entry");
    }
    const std::uint64_t room = limit_ - std::min<std::uint64_t>(limit_, produced_);
    std::uint32_t count = static_cast<std::uint32_t>(std::min<std::uint64_t>(length, room));
    std::size_t from = (pos_ + kSize - distance) & (kSize - 1);
    if (from + count < kSize && pos_ + count < kSize) {
        // Neither end wraps: a plain forward copy (overlap repeats bytes, as it must).
        std::uint8_t *ring = ring_.data();
        for (std::uint32_t i = 0; i < count; ++i)
            ring[pos_ + i] = ring[from + i];
        pos_ += count;
        produced_ += count;
        return;
    }
    while (count-- > 0) {
        const std::uint8_t byte = ring_[from];
        from = (from + 1) & (kSize - 1);
        putLiteral(byte);
        if (stopped_)
            return;
    }
}

void OutputWindow::writeThrough(const char *data, std::size_t size)
{
    const std::uint64_t room = limit_ - std::min<std::uint64_t>(limit_, produced_);
    const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(size, room));
    if (count == 0 || stopped_)
        return;
    produced_ += count;
    deliver(data, count);
}

void OutputWindow::flush()
{
    if (pos_ > flushed_ && !stopped_) {
        deliver(reinterpret_cast<const char *>(ring_.data()) + flushed_, pos_ - flushed_);
    }
    flushed_ = pos_;
}

void OutputWindow::wrap()
{
    flush();
    pos_ = 0;
    flushed_ = 0;
}

void OutputWindow::deliver(const char *data, std::size_t size)
{
    crc_.update(data, size);
    if (!sink_(data, size))
        stopped_ = true;
}

}  // namespace zr::arj::detail
