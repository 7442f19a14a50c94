#include "search/block_queue.h"

#include <algorithm>
#include <cstring>

namespace zr::search {

bool BlockQueue::Push(std::string_view bytes)
{
    if (bytes.empty())
        return true;
    std::unique_lock lock(mutex_);
    // One block may pass the bound on its own, or the queue could never take it.
    changed_.wait(lock, [&] { return quit_ || held_ == 0 || held_ + bytes.size() <= byteLimit_; });
    if (quit_)
        return false;
    blocks_.emplace_back(bytes);
    held_ += bytes.size();
    changed_.notify_all();
    return true;
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

std::size_t BlockQueue::Read(char *dest, std::size_t wanted)
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return !blocks_.empty() || closed_; });
    std::size_t given = 0;
    while (given < wanted && !blocks_.empty()) {
        const std::string &front = blocks_.front();
        const std::size_t n = std::min(wanted - given, front.size() - frontUsed_);
        std::memcpy(dest + given, front.data() + frontUsed_, n);
        given += n;
        frontUsed_ += n;
        held_ -= n;
        if (frontUsed_ == front.size()) {
            blocks_.pop_front();
            frontUsed_ = 0;
        }
    }
    changed_.notify_all();
    return given;
}

}  // namespace zr::search
