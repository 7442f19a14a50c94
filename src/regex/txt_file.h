#pragma once
// Buffered reader over one CP932 text file for the grep scans: a start cursor
// where each match attempt begins (it counts lines) and a probe cursor that
// runs ahead while an attempt is tried. Line breaks are normalised (CR LF and a
// lone CR read as one LF), NUL bytes read as spaces, a line feed is supplied
// before the first line and after an unterminated last line, and the current
// line stays whole even when it spans many blocks.

#include "platform/mbchar.h"
#include "regex/scanner.h"
#include "regex/text_source.h"
#include "regex/txt_file_errors.h"
#include "regex/txt_file_line_info.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <stop_token>
#include <string>

namespace zr::regex {

// Runs the owner's pending work; the reader calls it once per block read and
// once per reported line, then checks its stop token.
using MessageLoopHook = std::function<void()>;

class TTxtFile {
public:
    static constexpr std::size_t BlockSize = 102400;

    // Throws EFileNotFound when the file cannot be opened, EEndOfFile when it
    // is empty and EGrepCancel when stop is already requested after the first
    // block. stop may be requested from any thread.
    TTxtFile(const std::string &fileName, std::stop_token stop, MessageLoopHook runMessageLoop = {});
    // Reads the CP932 text that source gives (a converted file, say);
    // fileName only names it.
    TTxtFile(std::unique_ptr<TTextSource> source, const std::string &fileName, std::stop_token stop,
             MessageLoopHook runMessageLoop = {});
    ~TTxtFile();
    TTxtFile(const TTxtFile &) = delete;
    TTxtFile &operator=(const TTxtFile &) = delete;

    // Moves the start cursor one character on and returns it; the probe
    // restarts there. Throws EEndOfFile at the end of the text.
    CharCode NextStart()
    {
        CharCode code = ReadStartByte();
        if (platform::IsCp932LeadByte(static_cast<unsigned char>(code)) && CanBeTrailByte(text_[start_]))
            code = static_cast<CharCode>(code << 8 | ReadStartByte());
        probe_ = start_;
        return code;
    }
    // Next character at the probe cursor; 0 once the text is exhausted.
    CharCode NextProbe()
    {
        // Plain single bytes are served here; the rest needs the full rules.
        if (probe_ + 1 < text_.size()) {
            const auto ch = static_cast<unsigned char>(text_[probe_]);
            if (ch != '\r' && !platform::IsCp932LeadByte(ch)) {
                ++probe_;
                return ch;
            }
        }
        return NextProbeInFull();
    }
    // Moves the start cursor to the end of its line and returns that line.
    RE_LineInfo_t TakeLine();

    const std::string &FileName() const { return fileName_; }
    TTextSource &Source() { return *source_; }
    // Position in the source's text where the line last taken begins.
    std::uint64_t LineStartOffset() const
    {
        return static_cast<std::uint64_t>(textOffset_ + static_cast<std::int64_t>(lineStart_));
    }

private:
    // A line break can never be the second byte of a double-byte character;
    // treating it as one would hide the break from the anchors.
    static bool CanBeTrailByte(char c) { return c != '\n' && c != '\r'; }
    CharCode NextProbeInFull();
    bool HasByteAt(std::size_t pos) { return pos < text_.size() || LoadUntil(pos); }
    bool LoadUntil(std::size_t pos);
    void LoadBlock();
    std::size_t ReadFromSource(char *dest, std::size_t wanted);
    void DropTextBeforeLineStart();
    void ReplaceNulBytes(std::size_t from);
    void RunMessageLoopAndCheckCancel();
    // The start cursor's byte read, inline while the next byte is loaded.
    unsigned char ReadStartByte()
    {
        if (start_ + 1 >= text_.size())
            return ReadStartByteAtBlockEnd();
        return StartByteTaken(static_cast<unsigned char>(text_[start_++]));
    }
    unsigned char ReadStartByteAtBlockEnd();
    // Line bookkeeping after the start cursor has passed ch; a byte follows it.
    unsigned char StartByteTaken(unsigned char ch)
    {
        if (ch == '\n') {
            lineStart_ = start_;
            ++lineNo_;
        }
        if (text_[start_] == '\r')
            NormaliseCarriageReturnAtStart();
        probe_ = start_;
        return ch;
    }
    void NormaliseCarriageReturnAtStart();

    std::string fileName_;
    std::unique_ptr<TTextSource> source_;
    std::stop_token stop_;
    MessageLoopHook runMessageLoop_;

    // Text from the start cursor's line start to the end of the loaded data;
    // earlier bytes are dropped when the next block is loaded.
    std::string text_;
    std::size_t lineStart_ = 0;
    std::size_t start_ = 0;
    std::size_t probe_ = 0;
    std::int32_t lineNo_ = 0;
    // Source position of text_[0]; the line feed put before the text has -1.
    std::int64_t textOffset_ = -1;

    bool atEnd_ = false;  // the whole file is in text_
    bool hasLookahead_ = false;
    char lookahead_ = 0;  // first byte of the next block, read to detect the end
};

}  // namespace zr::regex
