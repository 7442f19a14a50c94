#pragma once
// Where the text reader gets its CP932 bytes: a file read as it is, or a file
// in another encoding converted on the way. Detection looks at the first
// block; a file that starts as plain ASCII is judged again at its first
// non-ASCII byte, so Japanese that starts late is still converted.

#include "regex/cp932_transcoder.h"
#include "regex/text_encoding.h"
#include "regex/txt_file_line_info.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zr::regex {

// Bytes that arrive as they are produced, such as a stored file while it is
// decompressed; nested archives and documents can feed the scan the same way.
class TByteStream {
public:
    virtual ~TByteStream() = default;
    // Up to wanted bytes, waiting for them if need be; 0 only at the end.
    // Throws EInOutError when the bytes cannot be had.
    virtual std::size_t Read(char *dest, std::size_t wanted) = 0;
};

class TTextSource {
public:
    virtual ~TTextSource() = default;
    // Up to wanted bytes of CP932 text; 0 only at the end of the text.
    // Throws EInOutError when the file cannot be read.
    virtual std::size_t Read(char *dest, std::size_t wanted) = 0;
    // See TCp932Transcoder::TakeSubstitutions.
    virtual std::vector<TLineSubstitution> TakeSubstitutions(std::uint64_t, std::size_t) { return {}; }
    // The encoding found so far (ASCII until a file shows more).
    virtual TTextEncoding Encoding() const { return TTextEncoding::teCp932; }
};

class TFileTextSource : public TTextSource {
public:
    // How much is looked at to judge an encoding: the reader's block.
    static constexpr std::size_t DetectionBlock = 102400;

    // Throws EFileNotFound when the file cannot be opened.
    TFileTextSource(const std::string &fileName, TEncodingChoice choice);
    // The bytes of a file already in memory, judged and read alike; they
    // must outlive the source.
    TFileTextSource(std::string_view bytes, const std::string &fileName, TEncodingChoice choice);
    // Bytes read from a stream as the scan needs them; the stream must
    // outlive the source.
    TFileTextSource(TByteStream &stream, const std::string &fileName, TEncodingChoice choice);
    ~TFileTextSource() override;
    TFileTextSource(const TFileTextSource &) = delete;
    TFileTextSource &operator=(const TFileTextSource &) = delete;

    std::size_t Read(char *dest, std::size_t wanted) override;
    std::vector<TLineSubstitution> TakeSubstitutions(std::uint64_t lineOffset,
                                                     std::size_t lineLength) override;
    TTextEncoding Encoding() const override { return encoding_; }

private:
    enum class Mode { Judging, AsIs, Converting };

    std::size_t ReadFile(char *dest, std::size_t wanted);
    // Reads until at least `bytes` unused bytes are held or the file ends.
    void FillInput(std::size_t bytes);
    std::size_t Unused() const { return inputEnd_ - inputPos_; }
    std::string_view UnusedInput() const { return std::string_view(input_.get() + inputPos_, Unused()); }
    std::string_view Input() const { return std::string_view(input_.get(), inputEnd_); }
    void Decide(bool atFileStart);
    TTextEncoding ForcedEncoding(bool atFileStart);
    void StartConverting(TTextEncoding encoding, std::size_t bomLength);
    std::size_t ReadJudging(char *dest, std::size_t wanted);
    std::size_t ReadAsIs(char *dest, std::size_t wanted);
    std::size_t ReadConverting(char *dest, std::size_t wanted);
    std::size_t Deliver(char *dest, std::size_t wanted, std::size_t available);

    std::string fileName_;
    std::uint64_t expectedSize_ = 0;  // size at opening; files may still grow
    std::uint64_t readSoFar_ = 0;
    int fd_ = -1;
    std::string_view bytes_;         // read instead of fd_ when it is -1 and there is no stream
    TByteStream *stream_ = nullptr;  // read instead of fd_ when set
    TEncodingChoice choice_;
    Mode mode_ = Mode::Judging;
    TTextEncoding encoding_ = TTextEncoding::teAscii;
    bool fileEnded_ = false;
    bool judged_ = false;        // the first block has been looked at
    bool convertedAll_ = false;  // the converter has seen the end of the file

    // File bytes read but not yet passed on: input_[inputPos_, inputEnd_).
    // Not a string: filling a whole block with zeros first costs more than
    // judging it.
    std::unique_ptr<char[]> input_;
    std::size_t inputCapacity_ = 0;
    std::size_t inputEnd_ = 0;
    std::size_t inputPos_ = 0;
    std::size_t checkedUpTo_ = 0;  // input_ index before which no byte asks to judge again
    std::uint64_t delivered_ = 0;  // bytes given to the reader so far

    std::unique_ptr<TCp932Transcoder> transcoder_;
    std::string output_;  // converted bytes not yet given to the reader
    std::size_t outputPos_ = 0;
};

}  // namespace zr::regex
