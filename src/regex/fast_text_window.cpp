#include "regex/fast_text_window.h"

#include <algorithm>
#include <cstring>

#include "regex/byte_search.h"

namespace zr::regex {

TFastTextWindow::TFastTextWindow(TTextSource &source, std::function<bool()> cancelled,
                                 MessageLoopHook runMessageLoop, bool countLines)
    : source_(source), cancelled_(std::move(cancelled)), runMessageLoop_(std::move(runMessageLoop)),
      countLines_(countLines)
{
    // The leading line feed lets "^" match the first line.
    Reserve(1);
    data_[0] = '\n';
    size_ = 1;
    end_ = 1;
    Load(0);
    if (end_ == 1) {  // an empty file holds no line at all
        size_ = 0;
        end_ = 0;
    }
}

void TFastTextWindow::Reserve(std::size_t bytes)
{
    if (bytes <= capacity_)
        return;
    const std::size_t capacity = std::max({bytes, capacity_ * 2, kBlockSize + 2 * kOverlap});
    auto larger = std::make_unique_for_overwrite<unsigned char[]>(capacity);
    if (size_ > 0)
        std::memcpy(larger.get(), data_.get(), size_);
    data_ = std::move(larger);
    capacity_ = capacity;
}

std::size_t TFastTextWindow::Read(unsigned char *dest, std::size_t wanted)
{
    std::size_t got = 0;
    while (got < wanted) {
        const std::size_t n = source_.Read(reinterpret_cast<char *>(dest + got), wanted - got);
        if (n == 0)
            break;
        got += n;
    }
    return got;
}

// NUL bytes become spaces and a CR not followed by an LF becomes an LF; the
// caller has read on until the last byte is not a CR or the file has ended.
void TFastTextWindow::Normalise(std::size_t from, std::size_t to)
{
    unsigned char *const begin = data_.get();
    for (std::size_t at = from; (at = std::size_t(FindNulOrCr(begin + at, begin + to) - begin)) < to; ++at) {
        if (begin[at] == 0)
            begin[at] = ' ';
        else if (at + 1 == to || begin[at + 1] != '\n')
            begin[at] = '\n';
    }
}

void TFastTextWindow::Drop(std::uint64_t upTo)
{
    upTo = std::clamp(upTo, base_, end_);
    if (upTo == base_)
        return;
    if (countLines_ && upTo > countedTo_) {
        lineFeeds_ += static_cast<std::int32_t>(CountByte(At(countedTo_), At(upTo), '\n'));
        countedTo_ = upTo;
    }
    const auto *first = At(base_);
    if (const void *lf = ::memrchr(first, '\n', std::size_t(upTo - base_)))
        lastDroppedLineFeed_ = base_ + std::uint64_t(static_cast<const unsigned char *>(lf) - first);
    const std::size_t dropped = std::size_t(upTo - base_);
    std::memmove(data_.get(), data_.get() + dropped, size_ - dropped);
    size_ -= dropped;
    base_ = upTo;
}

bool TFastTextWindow::Load(std::uint64_t keepFrom)
{
    if (atEnd_)
        return false;
    const std::uint64_t overlapStart = end_ > kOverlap ? end_ - kOverlap : 0;
    if (keepFrom < overlapStart && overlapStart - keepFrom > kMaxLineText) {
        // A very long line: keep its head for the report and let the rest go.
        if (keepFrom >= base_ && headOf_ != keepFrom) {
            const unsigned char *from = At(keepFrom + 1);
            std::size_t size = std::min<std::size_t>(kMaxLineText, std::size_t(end_ - keepFrom - 1));
            if (const void *lf = std::memchr(from, '\n', size))
                size = std::size_t(static_cast<const unsigned char *>(lf) - from);
            head_.assign(reinterpret_cast<const char *>(from), size);
            headOf_ = keepFrom;
        }
        Drop(overlapStart);
    } else {
        Drop(std::min(keepFrom, overlapStart));
    }

    const std::size_t oldSize = size_;
    Reserve(oldSize + kBlockSize + 1);
    std::size_t got = Read(data_.get() + oldSize, kBlockSize);
    bool fileEnded = got < kBlockSize;
    // A CR at the end needs the byte after it to be read as what it is.
    while (!fileEnded && data_[oldSize + got - 1] == '\r') {
        Reserve(oldSize + got + 2);
        if (Read(data_.get() + oldSize + got, 1) == 1)
            ++got;
        else
            fileEnded = true;
    }
    size_ = oldSize + got;
    Normalise(oldSize, size_);
    if (got > 0)
        lastWasLineFeed_ = data_[size_ - 1] == '\n';
    if (fileEnded) {
        atEnd_ = true;
        if (!lastWasLineFeed_) {
            Reserve(size_ + 1);
            data_[size_++] = '\n';  // the last line always ends with a line feed
        }
    }
    end_ = base_ + size_;
    RunMessageLoopAndCheckCancel();
    return true;
}

void TFastTextWindow::RunMessageLoopAndCheckCancel()
{
    if (runMessageLoop_)
        runMessageLoop_();
    if (cancelled_ && cancelled_())
        throw EGrepCancel();
}

std::uint64_t TFastTextWindow::LineFeedBefore(std::uint64_t pos, std::uint64_t floor) const
{
    const std::uint64_t from = std::max(floor, base_);
    if (pos > from) {
        if (const unsigned char *lf = FindLastByte(At(from), At(pos), '\n'))
            return from + std::uint64_t(lf - At(from));
    }
    return std::max(floor, lastDroppedLineFeed_);
}

std::uint64_t TFastTextWindow::LineFeedFrom(std::uint64_t pos, std::uint64_t lineStart)
{
    for (;;) {
        pos = std::max(pos, base_);
        if (pos < end_) {
            if (const void *lf = std::memchr(At(pos), '\n', std::size_t(end_ - pos)))
                return pos + std::uint64_t(static_cast<const unsigned char *>(lf) - At(pos));
        }
        const std::uint64_t searched = end_;
        if (!Load(lineStart))
            return end_ - 1;  // cannot happen: the text ends with a line feed
        pos = searched;
    }
}

std::int32_t TFastTextWindow::LineNumber(std::uint64_t lineStart)
{
    if (!countLines_)
        return 0;
    // A line start already passed is the last line feed counted: nothing
    // between it and the counted position is a line feed.
    if (lineStart >= countedTo_) {
        lineFeeds_ += static_cast<std::int32_t>(CountByte(At(countedTo_), At(lineStart + 1), '\n'));
        countedTo_ = lineStart + 1;
    }
    return lineFeeds_;
}

std::string TFastTextWindow::LineText(std::uint64_t lineStart, std::uint64_t lineEnd) const
{
    if (lineStart < base_)
        return headOf_ == lineStart ? head_ : std::string();
    std::uint64_t end = lineEnd;
    if (end > lineStart + 1 && *At(end - 1) == '\r')
        --end;
    const std::size_t size = std::min<std::size_t>(kMaxLineText, std::size_t(end - lineStart - 1));
    return std::string(reinterpret_cast<const char *>(At(lineStart + 1)), size);
}

}  // namespace zr::regex
