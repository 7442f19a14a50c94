#include "regex/text_source.h"

#include "regex/byte_search.h"
#include "regex/encoding_detector.h"
#include "regex/txt_file_errors.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zr::regex {

namespace {

// Converted text is produced in pieces of about this much input.
constexpr std::size_t ConversionChunk = 65536;
constexpr unsigned char Esc = 0x1B;

std::string SystemMessage(int error) { return std::strerror(error); }

int OpenForReading(const std::string &fileName, std::uint64_t &size)
{
    int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw EFileNotFound(SystemMessage(errno));
    struct stat info {};
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        int error = S_ISDIR(info.st_mode) ? EISDIR : errno;
        ::close(fd);
        throw EFileNotFound(SystemMessage(error));
    }
    size = S_ISREG(info.st_mode) ? static_cast<std::uint64_t>(info.st_size) : 0;
    return fd;
}

// An escape that designates a Japanese character set; other escapes (such
// as terminal colours) leave plain ASCII text as it is.
bool IsIso2022JpDesignation(std::string_view text, std::size_t at)
{
    if (at + 2 >= text.size())
        return false;
    const char a = text[at + 1], b = text[at + 2];
    return (a == '$' && (b == '@' || b == 'B' || b == '(')) || (a == '(' && (b == 'I' || b == 'J'));
}

}  // namespace

TFileTextSource::TFileTextSource(const std::string &fileName, TEncodingChoice choice)
    : fileName_(fileName), fd_(OpenForReading(fileName, expectedSize_)), choice_(choice)
{
    if (choice == TEncodingChoice::ecCp932) {
        mode_ = Mode::AsIs;
        encoding_ = TTextEncoding::teCp932;
        judged_ = true;
    }
}

TFileTextSource::TFileTextSource(std::string_view bytes, const std::string &fileName, TEncodingChoice choice)
    : fileName_(fileName), expectedSize_(bytes.size()), bytes_(bytes), choice_(choice)
{
    if (choice == TEncodingChoice::ecCp932) {
        mode_ = Mode::AsIs;
        encoding_ = TTextEncoding::teCp932;
        judged_ = true;
    }
}

// A stream's length is unknown: the input buffer grows by what is asked for.
TFileTextSource::TFileTextSource(TByteStream &stream, const std::string &fileName, TEncodingChoice choice)
    : fileName_(fileName), expectedSize_(UINT64_MAX / 2), stream_(&stream), choice_(choice)
{
    if (choice == TEncodingChoice::ecCp932) {
        mode_ = Mode::AsIs;
        encoding_ = TTextEncoding::teCp932;
        judged_ = true;
    }
}

TFileTextSource::~TFileTextSource()
{
    if (fd_ >= 0)
        ::close(fd_);
}

std::size_t TFileTextSource::ReadFile(char *dest, std::size_t wanted)
{
    if (fileEnded_)
        return 0;
    if (stream_) {
        const std::size_t n = stream_->Read(dest, wanted);
        fileEnded_ = n == 0;
        readSoFar_ += n;
        return n;
    }
    if (fd_ < 0) {
        const std::size_t n = std::min(wanted, bytes_.size() - static_cast<std::size_t>(readSoFar_));
        std::memcpy(dest, bytes_.data() + readSoFar_, n);
        fileEnded_ = n == 0;
        readSoFar_ += n;
        return n;
    }
    for (;;) {
        const ssize_t n = ::read(fd_, dest, wanted);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw EInOutError(fileName_ + ": " + SystemMessage(errno));
        fileEnded_ = n == 0;
        readSoFar_ += static_cast<std::uint64_t>(n);
        return static_cast<std::size_t>(n);
    }
}

void TFileTextSource::FillInput(std::size_t bytes)
{
    if (inputPos_ > 0 && inputPos_ * 2 >= inputEnd_) {
        std::memmove(input_.get(), input_.get() + inputPos_, Unused());
        checkedUpTo_ -= std::min(checkedUpTo_, inputPos_);
        inputEnd_ -= inputPos_;
        inputPos_ = 0;
    }
    if (fileEnded_ || Unused() >= bytes)
        return;
    // A small file gets a small buffer; one byte more shows its end.
    const std::uint64_t expectedLeft = expectedSize_ > readSoFar_ ? expectedSize_ - readSoFar_ : 0;
    const std::size_t needed =
        inputEnd_ + static_cast<std::size_t>(std::min<std::uint64_t>(bytes - Unused(), expectedLeft + 1));
    if (needed > inputCapacity_) {
        const std::size_t capacity = std::max(needed, inputCapacity_ * 2);
        auto larger = std::make_unique_for_overwrite<char[]>(capacity);
        if (inputEnd_ > 0)
            std::memcpy(larger.get(), input_.get(), inputEnd_);
        input_ = std::move(larger);
        inputCapacity_ = capacity;
    }
    while (!fileEnded_ && inputEnd_ < needed)
        inputEnd_ += ReadFile(input_.get() + inputEnd_, needed - inputEnd_);
}

std::size_t TFileTextSource::Read(char *dest, std::size_t wanted)
{
    if (wanted == 0)
        return 0;
    switch (mode_) {
    case Mode::Judging:
        return ReadJudging(dest, wanted);
    case Mode::AsIs:
        return ReadAsIs(dest, wanted);
    case Mode::Converting:
        return ReadConverting(dest, wanted);
    }
    return 0;
}

std::size_t TFileTextSource::Deliver(char *dest, std::size_t wanted, std::size_t available)
{
    const std::size_t n = std::min(wanted, available);
    std::memcpy(dest, input_.get() + inputPos_, n);
    inputPos_ += n;
    delivered_ += n;
    return n;
}

std::size_t TFileTextSource::ReadAsIs(char *dest, std::size_t wanted)
{
    if (Unused() > 0)
        return Deliver(dest, wanted, Unused());
    const std::size_t got = ReadFile(dest, wanted);
    delivered_ += got;
    return got;
}

TTextEncoding TFileTextSource::ForcedEncoding(bool atFileStart)
{
    const std::string_view head = UnusedInput();
    switch (choice_) {
    case TEncodingChoice::ecUtf8:
        return TTextEncoding::teUtf8;
    case TEncodingChoice::ecEucJp:
        return TTextEncoding::teEucJp;
    case TEncodingChoice::ecIso2022Jp:
        return TTextEncoding::teIso2022Jp;
    case TEncodingChoice::ecUtf16: {
        const TDetection marked = DetectEncoding(head.substr(0, 3), atFileStart, false);
        if (marked.bomLength == 2)
            return marked.encoding;
        return GuessUtf16ByteOrder(head);
    }
    default:
        return TTextEncoding::teCp932;
    }
}

void TFileTextSource::Decide(bool atFileStart)
{
    TDetection found;
    if (choice_ == TEncodingChoice::ecAuto) {
        found = DetectEncoding(UnusedInput(), atFileStart, fileEnded_);
    } else {
        found.encoding = ForcedEncoding(atFileStart);
        const TDetection marked = DetectEncoding(UnusedInput().substr(0, 3), atFileStart, false);
        if (marked.encoding == found.encoding)
            found.bomLength = marked.bomLength;  // a forced encoding still drops its own mark
    }
    if (found.encoding == TTextEncoding::teAscii) {
        // Nothing to decide yet: bytes up to here need no second look, except
        // an escape that the block's end may have cut.
        checkedUpTo_ = std::max(inputPos_, inputEnd_ >= 3 ? inputEnd_ - 3 : 0);
        return;
    }
    if (IsSearchedAsIs(found.encoding)) {
        mode_ = Mode::AsIs;
        encoding_ = found.encoding;
        return;
    }
    StartConverting(found.encoding, found.bomLength);
}

void TFileTextSource::StartConverting(TTextEncoding encoding, std::size_t bomLength)
{
    inputPos_ += bomLength;
    transcoder_ = std::make_unique<TCp932Transcoder>(encoding, delivered_);
    mode_ = Mode::Converting;
    encoding_ = encoding;
}

std::size_t TFileTextSource::ReadJudging(char *dest, std::size_t wanted)
{
    if (!judged_) {
        judged_ = true;
        FillInput(DetectionBlock);
        Decide(true);
        if (mode_ != Mode::Judging)
            return Read(dest, wanted);
    }
    for (;;) {
        if (Unused() < 4)
            FillInput(DetectionBlock);
        if (Unused() == 0)
            return 0;
        // The next byte that may start non-ASCII text.
        const auto *bytes = reinterpret_cast<const unsigned char *>(input_.get());
        const std::size_t at = std::size_t(
            FindNonAsciiOr(bytes + std::max(inputPos_, checkedUpTo_), bytes + inputEnd_, Esc) - bytes);
        if (at > inputPos_) {
            checkedUpTo_ = at;
            return Deliver(dest, wanted, at - inputPos_);
        }
        // Non-ASCII text (or an escape) starts here: judge from here on.
        FillInput(DetectionBlock);
        if (static_cast<unsigned char>(input_[inputPos_]) == Esc) {
            if (!IsIso2022JpDesignation(Input(), inputPos_)) {
                checkedUpTo_ = inputPos_ + 1;
                return Deliver(dest, wanted, 1);
            }
        }
        Decide(false);
        if (mode_ != Mode::Judging)
            return Read(dest, wanted);
        checkedUpTo_ = inputPos_ + 1;  // judged ASCII after all: move on
        return Deliver(dest, wanted, 1);
    }
}

std::size_t TFileTextSource::ReadConverting(char *dest, std::size_t wanted)
{
    while (outputPos_ == output_.size()) {
        output_.clear();
        outputPos_ = 0;
        if (Unused() < ConversionChunk)
            FillInput(ConversionChunk);
        if (Unused() == 0 && fileEnded_ && convertedAll_)
            return 0;
        const std::size_t used = transcoder_->Convert(UnusedInput(), fileEnded_, output_);
        inputPos_ += used;
        convertedAll_ = fileEnded_;
    }
    const std::size_t n = std::min(wanted, output_.size() - outputPos_);
    std::memcpy(dest, output_.data() + outputPos_, n);
    outputPos_ += n;
    delivered_ += n;
    return n;
}

std::vector<TLineSubstitution> TFileTextSource::TakeSubstitutions(std::uint64_t lineOffset,
                                                                  std::size_t lineLength)
{
    if (!transcoder_)
        return {};
    return transcoder_->TakeSubstitutions(lineOffset, lineLength);
}

}  // namespace zr::regex
