#include "regex/txt_file.h"

#include "platform/mbchar.h"

#include <cstring>

namespace zr::regex {

TTxtFile::TTxtFile(const std::string &fileName, std::stop_token stop, MessageLoopHook runMessageLoop)
    : TTxtFile(std::make_unique<TFileTextSource>(fileName, TEncodingChoice::ecCp932), fileName,
               std::move(stop), std::move(runMessageLoop))
{
}

TTxtFile::TTxtFile(std::unique_ptr<TTextSource> source, const std::string &fileName, std::stop_token stop,
                   MessageLoopHook runMessageLoop)
    : fileName_(fileName), source_(std::move(source)), stop_(std::move(stop)),
      runMessageLoop_(std::move(runMessageLoop))
{
    // The leading line feed lets a line-head anchor match the first line and
    // makes the first NextStart count line 1.
    text_.push_back('\n');
    LoadBlock();
}

TTxtFile::~TTxtFile() = default;

std::size_t TTxtFile::ReadFromSource(char *dest, std::size_t wanted)
{
    std::size_t got = 0;
    while (got < wanted) {
        const std::size_t n = source_->Read(dest + got, wanted - got);
        if (n == 0)
            break;
        got += n;
    }
    return got;
}

void TTxtFile::DropTextBeforeLineStart()
{
    text_.erase(0, lineStart_);
    textOffset_ += static_cast<std::int64_t>(lineStart_);
    start_ -= lineStart_;
    probe_ -= lineStart_;
    lineStart_ = 0;
}

void TTxtFile::LoadBlock()
{
    DropTextBeforeLineStart();
    const std::size_t oldSize = text_.size();
    text_.resize(oldSize + BlockSize);
    char *dest = text_.data() + oldSize;
    std::size_t got = 0;
    if (hasLookahead_) {
        dest[got++] = lookahead_;
        hasLookahead_ = false;
    }
    got += ReadFromSource(dest + got, BlockSize - got);
    if (got == BlockSize)
        hasLookahead_ = ReadFromSource(&lookahead_, 1) == 1;
    atEnd_ = !hasLookahead_;
    text_.resize(oldSize + got);
    if (got == 0)
        throw EEndOfFile();

    ReplaceNulBytes(oldSize);
    if (atEnd_ && text_.back() != '\n')
        text_.push_back('\n');  // the last line always ends with a line feed
    RunMessageLoopAndCheckCancel();
}

// NUL bytes of the file read as spaces.
void TTxtFile::ReplaceNulBytes(std::size_t from)
{
    char *end = text_.data() + text_.size();
    for (char *p = text_.data() + from;
         (p = static_cast<char *>(std::memchr(p, 0, static_cast<std::size_t>(end - p))));)
        *p++ = ' ';
}

bool TTxtFile::LoadUntil(std::size_t pos)
{
    // Positions shift when a block is loaded; callers index by the cursors,
    // which move with the text, and only ever ask for the next unread byte.
    while (pos >= text_.size()) {
        if (atEnd_)
            return false;
        const std::size_t shift = lineStart_;
        LoadBlock();
        pos -= shift;
    }
    return true;
}

void TTxtFile::RunMessageLoopAndCheckCancel()
{
    if (runMessageLoop_)
        runMessageLoop_();
    if (stop_.stop_requested())
        throw EGrepCancel();
}

void TTxtFile::NormaliseCarriageReturnAtStart()
{
    // CR LF reads as its LF; a lone CR becomes an LF in place.
    if (HasByteAt(start_ + 1) && text_[start_ + 1] == '\n')
        ++start_;
    else
        text_[start_] = '\n';
}

unsigned char TTxtFile::ReadStartByteAtBlockEnd()
{
    if (!HasByteAt(start_))
        throw EEndOfFile();
    const auto ch = static_cast<unsigned char>(text_[start_++]);
    // The supplied final line feed is never a start position: no line follows it.
    if (!HasByteAt(start_))
        throw EEndOfFile();
    return StartByteTaken(ch);
}

CharCode TTxtFile::NextProbeInFull()
{
    if (!HasByteAt(probe_))
        return 0;
    const auto ch = static_cast<unsigned char>(text_[probe_++]);
    if (ch == '\r') {
        if (HasByteAt(probe_) && text_[probe_] == '\n')
            ++probe_;
        else
            text_[probe_ - 1] = '\n';
        return '\n';
    }
    if (platform::IsCp932LeadByte(ch) && HasByteAt(probe_) && CanBeTrailByte(text_[probe_]))
        return static_cast<CharCode>(ch << 8 | static_cast<unsigned char>(text_[probe_++]));
    return ch;
}

RE_LineInfo_t TTxtFile::TakeLine()
{
    RunMessageLoopAndCheckCancel();
    while (text_[start_] != '\n')
        ReadStartByte();
    probe_ = start_;
    std::size_t end = start_;
    while (end > lineStart_ && (text_[end - 1] == '\r' || text_[end - 1] == '\n'))
        --end;
    return RE_LineInfo_t{text_.substr(lineStart_, end - lineStart_), lineNo_, {}};
}

}  // namespace zr::regex
