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
        changed_.wait(lock, [&] { return quit_ || held_ == 0 || held_ + bytes.size() <= byteLimit_; });
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
    changed_.notify_all();
    return !quit_;
}

void BlockQueue::Close()
{
    std::lock_guard lock(mutex_);
    closed_ = true;
    changed_.notify_all();
}

void BlockQueue::Quit()
{
    std::lock_guard lock(mutex_);
    quit_ = true;
    changed_.notify_all();
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
        changed_.notify_all();
    }
    if (wait)
        changed_.wait(lock, [&] { return !blocks_.empty() || closed_; });
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
