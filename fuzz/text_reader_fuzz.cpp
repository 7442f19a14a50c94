// The text reader over arbitrary bytes: whatever pieces the bytes arrive in
// (short reads, block boundaries, CR LF or a double-byte character split
// between reads), the reader yields the same characters and the same lines,
// and reading through the file source with any encoding choice ends cleanly.
//
// Input: one flag byte, one piece-size byte, then the text.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_scratch.h"
#include "regex/text_source.h"
#include "regex/txt_file.h"

using namespace zr::regex;

namespace {

// Hands out the text in pieces of at most `piece` bytes.
class PieceSource : public TTextSource {
public:
    PieceSource(std::string text, std::size_t piece) : text_(std::move(text)), piece_(piece) {}
    std::size_t Read(char *dest, std::size_t wanted) override
    {
        const std::size_t n = std::min({wanted, piece_, text_.size() - next_});
        std::memcpy(dest, text_.data() + next_, n);
        next_ += n;
        return n;
    }

private:
    std::string text_;
    std::size_t piece_;
    std::size_t next_ = 0;
};

struct Reading {
    std::vector<CharCode> codes;
    std::vector<std::string> lines;
    bool operator==(const Reading &) const = default;
};

// Every start character, and the line around the first few `marker`
// characters: taking the line of every one made a long line cost its length
// per character (seconds per input), not what the reader does for a search.
Reading Read(TTxtFile &file, CharCode marker)
{
    constexpr std::size_t kLinesTaken = 16;
    Reading out;
    try {
        for (;;) {
            const CharCode code = file.NextStart();
            out.codes.push_back(code);
            if (code == marker && out.lines.size() < kLinesTaken)
                out.lines.push_back(file.TakeLine().Line);
        }
    } catch (const EEndOfFile &) {
    }
    return out;
}

// An empty text ends already while the reader loads its first block.
Reading ReadInPieces(const std::string &text, std::size_t piece, CharCode marker)
{
    try {
        TTxtFile file(std::make_unique<PieceSource>(text, piece), "text", {});
        return Read(file, marker);
    } catch (const EEndOfFile &) {
        return {};
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 2 || size > 8192)
        return 0;
    const std::uint8_t flags = data[0];
    const std::size_t piece = 1 + data[1] % 97;
    std::string text(reinterpret_cast<const char *>(data) + 2, size - 2);
    // Grown past one reader block so its boundary falls inside the text.
    if ((flags & 1) && !text.empty())
        while (text.size() < TTxtFile::BlockSize + 300)
            text += text;
    const CharCode marker = text.empty() ? 'a' : static_cast<unsigned char>(text[text.size() / 2]);

    const Reading whole = ReadInPieces(text, text.size() + 1, marker);
    if (ReadInPieces(text, piece, marker) != whole)
        __builtin_trap();
    for (const std::string &line : whole.lines)
        if (line.find('\n') != std::string::npos)
            __builtin_trap();

    static const TEncodingChoice choices[] = {TEncodingChoice::ecAuto,  TEncodingChoice::ecCp932,
                                              TEncodingChoice::ecUtf8,  TEncodingChoice::ecUtf16,
                                              TEncodingChoice::ecEucJp, TEncodingChoice::ecIso2022Jp};
    const std::string path = zr::fuzz::WriteScratchFile("text.txt", text);
    try {
        TTxtFile file(std::make_unique<TFileTextSource>(path, choices[(flags >> 1) % 6]), path, {});
        Read(file, marker);
    } catch (const EEndOfFile &) {
    }
    return 0;
}
