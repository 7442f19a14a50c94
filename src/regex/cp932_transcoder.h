#pragma once
// Streams UTF-8, UTF-16, EUC-JP or ISO-2022-JP text into CP932 for the text
// reader, block by block. A character CP932 cannot hold becomes the geta mark
// "〓" (0x81 0xAC) so every line keeps its place and its other characters;
// the characters it replaced are remembered by output position so a reported
// line can be shown as the file has it.

#include "regex/iso2022jp_reader.h"
#include "regex/text_encoding.h"
#include "regex/txt_file_line_info.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <iconv.h>
#include <string>
#include <string_view>
#include <vector>

namespace zr::regex {

class TCp932Transcoder {
public:
    // Enough to cover a whole block of the reader and the line it carries.
    static constexpr std::size_t MaxRemembered = std::size_t{1} << 17;

    // outputOffset: bytes of CP932 text that came before the first byte this
    // converter writes (text passed through unchanged before it took over).
    // Throws std::runtime_error when iconv lacks a needed converter.
    TCp932Transcoder(TTextEncoding from, std::uint64_t outputOffset = 0);
    ~TCp932Transcoder();
    TCp932Transcoder(const TCp932Transcoder &) = delete;
    TCp932Transcoder &operator=(const TCp932Transcoder &) = delete;

    // Appends the CP932 form of input to out and returns the bytes used.
    // Unless final, a character cut by the end of input is left for the next
    // call; with final, everything is used.
    std::size_t Convert(std::string_view input, bool final, std::string &out);

    // The substitutions inside the line of lineLength bytes that starts at
    // output position lineOffset, with offsets relative to the line. Earlier
    // ones are forgotten: lines are asked for in order.
    std::vector<TLineSubstitution> TakeSubstitutions(std::uint64_t lineOffset, std::size_t lineLength);

    std::size_t UnmappableCount() const { return unmappable_; }
    std::size_t UndecodableCount() const { return undecodable_; }

private:
    struct Remembered {
        std::uint64_t offset;
        std::string original;
    };

    std::size_t ConvertDecodable(std::string_view input, bool final, std::string &out);
    std::size_t CharLength(std::string_view input, std::size_t pos) const;
    bool DecodesAlone(std::string_view bytes, std::string &utf8);
    // Bytes at pos that no character can be read from; returns the position
    // after them, or pos when more input is needed to decide.
    std::size_t TakeUndecodable(std::string_view input, std::size_t pos, bool final, std::string &out);
    void Substitute(std::string original, std::string &out);
    std::uint64_t OutputPosition(const std::string &out) const
    {
        return callStartOffset_ + (out.size() - callStartSize_);
    }

    TTextEncoding from_;
    iconv_t toCp932_;
    iconv_t toUtf8_;
    TIso2022JpToEucJp iso2022jp_;
    std::string eucFromIso_;  // converted ISO-2022-JP not yet decoded

    std::uint64_t produced_;
    std::uint64_t callStartOffset_ = 0;
    std::size_t callStartSize_ = 0;
    std::deque<Remembered> remembered_;
    std::size_t unmappable_ = 0;
    std::size_t undecodable_ = 0;
};

}  // namespace zr::regex
