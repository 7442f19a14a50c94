#pragma once
// The bounded hand-over between the thread that decompresses a stored file
// and the thread that scans it: the decompressing side waits while the
// queue is full, the scanning side while it is empty, so memory stays at
// the bound whatever the file's size.

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "regex/text_source.h"

namespace zr::search {

class BlockQueue final : public regex::TByteStream {
public:
    explicit BlockQueue(std::size_t byteLimit) : byteLimit_(byteLimit) {}

    // Producer side. False once the reader has quit (nothing more is wanted).
    bool Push(std::string_view bytes);
    // No more bytes will come.
    void Close();

    // Consumer side: blocks until bytes or the end arrive.
    std::size_t Read(char *dest, std::size_t wanted) override;
    // The reader is gone: pushes fail from now on and never wait.
    void Quit();

private:
    // Takes the next block as the one being read; false at the end.
    bool NextBlock(std::unique_lock<std::mutex> &lock, bool wait);

    bool ReaderShouldWake() const;
    bool WriterShouldWake() const;

    std::mutex mutex_;
    // Each side is woken only when the other has gone a good way, not at
    // each block: a wake-up per block cost a task switch per block.
    std::condition_variable dataReady_;
    std::condition_variable spaceFree_;
    bool readerWaiting_ = false;
    bool writerWaiting_ = false;
    std::size_t writerWants_ = 0;
    std::deque<std::string> blocks_;
    // Blocks read to their end, kept for the next pushes: no allocation and
    // no fresh pages for each block of a large file.
    std::vector<std::string> spare_;
    std::size_t held_ = 0;  // bytes pushed and not yet read to a block's end
    std::size_t byteLimit_;
    bool closed_ = false;
    bool quit_ = false;
    // Only the reader touches these, and copies out of them unlocked.
    std::string reading_;
    std::size_t readingUsed_ = 0;
};

}  // namespace zr::search
