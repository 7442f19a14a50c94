#pragma once
// A window over one text file for the fast scan: the file is read in large
// blocks, a line feed is put before the first line and after an unterminated
// last one, NUL bytes read as spaces and a lone CR as a line feed (a CR before
// an LF stays and is skipped by the scan). Positions are absolute: 0 is the
// leading line feed, file byte i is position i + 1.
//
// Only the current line and the unread text are kept; a line longer than
// kMaxLineText keeps its first kMaxLineText bytes for reporting, so memory
// stays bounded however long a line is. Lines are counted only when asked.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "regex/text_source.h"
#include "regex/txt_file.h"

namespace zr::regex {

class TFastTextWindow {
public:
    static constexpr std::size_t kBlockSize = 256 * 1024;
    static constexpr std::size_t kMaxLineText = 1024 * 1024;
    // Bytes before the read position kept for a literal that straddles blocks.
    static constexpr std::size_t kOverlap = 64;

    // Reads the source's CP932 text. Throws EInOutError and EGrepCancel.
    // Without countLines every line number reads 0 and no line feed is counted.
    TFastTextWindow(TTextSource &source, std::function<bool()> cancelled, MessageLoopHook runMessageLoop,
                    bool countLines = true);
    TFastTextWindow(const TFastTextWindow &) = delete;
    TFastTextWindow &operator=(const TFastTextWindow &) = delete;

    // No byte at all: the file is empty.
    bool Empty() const { return end_ == 0; }
    bool AtEnd() const { return atEnd_; }
    std::uint64_t Begin() const { return base_; }
    std::uint64_t End() const { return end_; }
    const unsigned char *At(std::uint64_t pos) const { return data_.get() + (pos - base_); }

    // Reads the next block; bytes before keepFrom may be dropped (those after
    // End() - kOverlap never are). keepFrom is the line feed before the line a
    // later report may need. Returns false at the end of the file.
    bool Load(std::uint64_t keepFrom);

    // The line feed at or before pos, possibly one that is no longer in the
    // window; pos must lie after the last report's line feed.
    std::uint64_t LineFeedBefore(std::uint64_t pos, std::uint64_t floor) const;
    // The first line feed at or after pos, loading blocks as needed (the
    // text always ends with one). lineStart is the line feed before pos.
    std::uint64_t LineFeedFrom(std::uint64_t pos, std::uint64_t lineStart);
    // Number of the line after the line feed at lineStart (1 for position 0).
    // Calls must come in increasing order of lineStart.
    std::int32_t LineNumber(std::uint64_t lineStart);
    // The text between two line feeds (a CR before the second removed),
    // at most kMaxLineText bytes.
    std::string LineText(std::uint64_t lineStart, std::uint64_t lineEnd) const;

    TTextSource &Source() { return source_; }
    // The source's offset of the first byte of the line after lineStart.
    static std::uint64_t SourceOffset(std::uint64_t lineStart) { return lineStart; }

    // Throws EGrepCancel when the owner's flag is set after its message loop ran.
    void RunMessageLoopAndCheckCancel();

private:
    std::size_t Read(unsigned char *dest, std::size_t wanted);
    void Reserve(std::size_t bytes);
    void Normalise(std::size_t from, std::size_t to);
    void Drop(std::uint64_t upTo);

    TTextSource &source_;
    std::function<bool()> cancelled_;
    MessageLoopHook runMessageLoop_;

    // Positions base_ .. end_ in size_ bytes. Not a vector: zero-filling
    // every block before the read overwrites it costs more than the scan.
    std::unique_ptr<unsigned char[]> data_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
    std::uint64_t base_ = 0;
    std::uint64_t end_ = 0;
    bool atEnd_ = false;
    bool lastWasLineFeed_ = true;
    bool countLines_ = true;

    std::uint64_t countedTo_ = 0;  // line feeds before this position are counted
    std::int32_t lineFeeds_ = 0;
    std::uint64_t lastDroppedLineFeed_ = 0;
    // The head of a line whose start has left the window.
    std::uint64_t headOf_ = UINT64_MAX;
    std::string head_;
};

}  // namespace zr::regex
