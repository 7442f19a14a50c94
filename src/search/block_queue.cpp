#include "search/block_queue.h"

#include <algorithm>
#include <cstring>

namespace zr::search {

// The bytes are copied with the lock released, so the two threads never
// wait on each other's copies; the reader's block is its own until it is
// read to its end.
bool BlockQueue::Push(std::string_view bytes)
{
    if (bytes.empty())
        return true;
    std::string block;
    {
        std::unique_lock lock(mutex_);
        // One block may pass the bound on its own, or the queue could never take it.
        const auto fits = [&] { return quit_ || held_ == 0 || held_ + bytes.size() <= byteLimit_; };
        if (!fits()) {
            writerWaiting_ = true;
            writerWants_ = bytes.size();
            if (readerWaiting_ && !blocks_.empty())
                dataReady_.notify_one();  // what is there must be read for this block to fit
            spaceFree_.wait(lock, fits);
            writerWaiting_ = false;
        }
        if (quit_)
            return false;
        held_ += bytes.size();
        if (!spare_.empty()) {
            block = std::move(spare_.back());
            spare_.pop_back();
        }
    }
    block.assign(bytes);
    std::lock_guard lock(mutex_);
    blocks_.push_back(std::move(block));
    if (ReaderShouldWake())
        dataReady_.notify_one();
    return !quit_;
}

bool BlockQueue::ReaderShouldWake() const { return readerWaiting_ && (closed_ || held_ >= byteLimit_ / 4); }

// Once the writer waits, it is let go when the queue is half empty (or
// empty, for a block larger than half the bound).
bool BlockQueue::WriterShouldWake() const
{
    return writerWaiting_ && (held_ == 0 || (held_ + writerWants_ <= byteLimit_ && held_ <= byteLimit_ / 2));
}

void BlockQueue::Close()
{
    std::lock_guard lock(mutex_);
    closed_ = true;
    dataReady_.notify_all();
}

void BlockQueue::Quit()
{
    std::lock_guard lock(mutex_);
    quit_ = true;
    spaceFree_.notify_all();
}

bool BlockQueue::NextBlock(std::unique_lock<std::mutex> &lock, bool wait)
{
    lock.lock();
    if (!reading_.empty()) {
        held_ -= reading_.size();
        if (spare_.size() < 8)
            spare_.push_back(std::move(reading_));
        reading_.clear();
        readingUsed_ = 0;
        if (WriterShouldWake())
            spaceFree_.notify_one();
    }
    if (wait && blocks_.empty() && !closed_) {
        readerWaiting_ = true;
        // Woken at a quarter of the bound; a short entry's rest comes with its close.
        // held_ counts a block being copied in too: only blocks in the queue end the wait.
        dataReady_.wait(lock, [&] {
            return closed_ || (!blocks_.empty() && (held_ >= byteLimit_ / 4 || writerWaiting_));
        });
        readerWaiting_ = false;
    }
    const bool got = !blocks_.empty();
    if (got) {
        reading_ = std::move(blocks_.front());
        blocks_.pop_front();
    }
    lock.unlock();
    return got;
}

std::size_t BlockQueue::Read(char *dest, std::size_t wanted)
{
    std::unique_lock lock(mutex_, std::defer_lock);
    std::size_t given = 0;
    while (given < wanted) {
        // Waits only when nothing has been given yet.
        if (readingUsed_ == reading_.size() && !NextBlock(lock, given == 0))
            break;
        const std::size_t n = std::min(wanted - given, reading_.size() - readingUsed_);
        std::memcpy(dest + given, reading_.data() + readingUsed_, n);
        given += n;
        readingUsed_ += n;
    }
    return given;
}

}  // namespace zr::search
