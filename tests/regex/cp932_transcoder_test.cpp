#include "regex/cp932_transcoder.h"
#include "regex/iso2022jp_reader.h"
#include "regex/line_display.h"

#include "japanese_corpus.h"
#include "txt_file_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace zr::regex {
namespace {

using test::Encoded;
using test::Sjis;
using E = TTextEncoding;

// Feeds the input in pieces of the given sizes (cycled), the way blocks
// arrive from a file, and returns everything written.
std::string ConvertInPieces(TCp932Transcoder &converter, const std::string &input,
                            std::vector<std::size_t> sizes)
{
    std::string out, pending;
    std::size_t next = 0, k = 0;
    while (next < input.size()) {
        const std::size_t take = std::min(sizes[k++ % sizes.size()], input.size() - next);
        pending.append(input, next, take);
        next += take;
        pending.erase(0, converter.Convert(pending, false, out));
    }
    converter.Convert(pending, true, out);
    return out;
}

std::string ConvertWhole(E from, const std::string &input)
{
    TCp932Transcoder converter(from);
    std::string out;
    converter.Convert(input, true, out);
    return out;
}

TEST(Cp932Transcoder, PiecesOfAnySizeGiveTheSameTextAsTheWhole)
{
    test::JapaneseTextMaker maker(11);
    for (E encoding : {E::teUtf8, E::teUtf16LE, E::teUtf16BE, E::teEucJp, E::teIso2022Jp}) {
        const std::string utf8 = maker.Text(3000, encoding != E::teIso2022Jp);
        const std::string input = Encoded(utf8, encoding);
        const std::string expected = Sjis(utf8);
        for (const auto &sizes : std::vector<std::vector<std::size_t>>{{1}, {2, 3}, {7, 1, 64}, {4096}}) {
            TCp932Transcoder converter(encoding);
            EXPECT_EQ(ConvertInPieces(converter, input, sizes), expected) << EncodingName(encoding);
            EXPECT_EQ(converter.UnmappableCount() + converter.UndecodableCount(), 0u);
        }
    }
}

TEST(Cp932Transcoder, CharactersOutsideCp932BecomeGetaMarksAndAreRemembered)
{
    const std::string line = "𠮷野家で😀検索\n次の行😀\n";
    for (E encoding : {E::teUtf8, E::teUtf16LE, E::teUtf16BE}) {
        TCp932Transcoder converter(encoding, 100);  // 100 bytes came before
        std::string out;
        converter.Convert(Encoded(line, encoding), true, out);
        EXPECT_EQ(out, Sjis("〓野家で〓検索\n次の行〓\n")) << EncodingName(encoding);
        EXPECT_EQ(converter.UnmappableCount(), 3u);
        const auto first = converter.TakeSubstitutions(100, 14);
        EXPECT_EQ(first, (std::vector<TLineSubstitution>{{0, "𠮷"}, {8, "😀"}}));
        EXPECT_EQ(LineTextForDisplay(out.substr(0, 14), first), "𠮷野家で😀検索");
        EXPECT_EQ(converter.TakeSubstitutions(115, 8), (std::vector<TLineSubstitution>{{6, "😀"}}));
        EXPECT_TRUE(converter.TakeSubstitutions(115, 8).empty());  // taken once
    }
    // A geta mark the file itself holds is no substitution.
    TCp932Transcoder converter(E::teUtf8);
    std::string out;
    converter.Convert("〓", true, out);
    EXPECT_EQ(out, "\x81\xAC");
    EXPECT_TRUE(converter.TakeSubstitutions(0, 2).empty());
}

TEST(Cp932Transcoder, BadBytesKeepLinesAndCp932LinesOfAMixedFilePassThrough)
{
    const std::string mixed = "UTF-8の行\n" + Sjis("シフトJISの行") + "\n\xff\xfe壊れた行\n";
    TCp932Transcoder converter(E::teUtf8);
    std::string out;
    converter.Convert(mixed, true, out);
    EXPECT_EQ(out, Sjis("UTF-8の行\nシフトJISの行\n〓〓壊れた行\n"));
    EXPECT_EQ(converter.UndecodableCount(), 7u);  // five CP932 characters, two bad bytes
    // Lone surrogates and an odd last byte in UTF-16.
    EXPECT_EQ(ConvertWhole(E::teUtf16LE, std::string("a\0\x00\xdc\n\0b", 7)), Sjis("a〓\n〓"));
    // A UTF-8 sequence cut by the end of the file.
    EXPECT_EQ(ConvertWhole(E::teUtf8, "ab\xe6"), Sjis("ab〓"));
}

TEST(Cp932Transcoder, NecAndIbmRowsOfEucJpAreKept)
{
    EXPECT_EQ(ConvertWhole(E::teEucJp, Encoded("①②ⅰ～", E::teEucJp)), Sjis("①②ⅰ～"));
}

TEST(Iso2022JpToEucJp, DesignationsKanaAndLineBreaks)
{
    TIso2022JpToEucJp reader;
    std::string out;
    // JIS X 0208, half-width katakana by escape and by SO/SI, and a line left
    // in double-byte mode: the next line starts in ASCII again.
    const std::string input = "a\x1b$B$\"\x1b(I1\x1b(Bb\x0e"
                              "2\x0f"
                              "c\x1b$B$\"\nxy\n";
    EXPECT_EQ(reader.Convert(input, true, out), input.size());
    EXPECT_EQ(out, "a\xa4\xa2\x8e\xb1"
                   "b\x8e\xb2"
                   "c\xa4\xa2\nxy\n");
    // An escape cut by the end of a piece waits for the rest.
    TIso2022JpToEucJp pieces;
    out.clear();
    EXPECT_EQ(pieces.Convert("ab\x1b$", false, out), 2u);
    EXPECT_EQ(pieces.Convert("\x1b$B$\"", false, out), 5u);
    EXPECT_EQ(out, "ab\xa4\xa2");
}

TEST(LineDisplay, CutLinesAndMovedMarks)
{
    const std::string line = Sjis("a〓b〓");
    const std::vector<TLineSubstitution> subs = {{1, "😀"}, {4, "𠮷"}};
    EXPECT_EQ(LineTextForDisplay(line, subs), "a😀b𠮷");
    EXPECT_EQ(LineTextForDisplay(line.substr(0, 5), subs), "a😀b\xEF\xBF\xBD");
    EXPECT_EQ(SubstitutionsWithin(subs, 5), (std::vector<TLineSubstitution>{{1, "😀"}}));
    // A mark that is not where it was recorded stays as it is.
    EXPECT_EQ(LineTextForDisplay(Sjis("ab〓"), subs), "ab〓");
}

}  // namespace
}  // namespace zr::regex

namespace zr::regex {
namespace {

std::size_t CountByte(const std::string &text, char byte)
{
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), byte));
}

// Whatever the bytes, every line break of the file is one line break of the
// converted text, so line numbers stay right even in damaged files.
TEST(Cp932Transcoder, ArbitraryBytesKeepEveryLineBreak)
{
    test::JapaneseTextMaker random(3);
    for (int round = 0; round < 200; ++round) {
        std::string bytes;
        const std::size_t size = 1 + random.Below(600);
        for (std::size_t i = 0; i < size; ++i) {
            const unsigned pick = random.Below(10);
            bytes += pick == 0   ? '\n'
                     : pick == 1 ? '\r'
                     : pick == 2 ? '\x1b'
                                 : static_cast<char>(random.Below(256));
        }
        for (E encoding : {E::teUtf8, E::teEucJp, E::teIso2022Jp}) {
            TCp932Transcoder converter(encoding);
            const std::string out =
                ConvertInPieces(converter, bytes, {1 + random.Below(7), 1 + random.Below(300)});
            EXPECT_EQ(CountByte(out, '\n'), CountByte(bytes, '\n')) << EncodingName(encoding);
            EXPECT_EQ(CountByte(out, '\r'), CountByte(bytes, '\r')) << EncodingName(encoding);
        }
        // UTF-16: whole units, line breaks as 0x000A units.
        std::string units;
        std::size_t breaks = 0;
        for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
            const bool lineFeed = bytes[i] == '\n';
            breaks += lineFeed;
            units += lineFeed ? std::string("\n\0", 2)
                              : (bytes[i] == '\n' || bytes[i + 1] == '\n' ? std::string("xy")
                                                                          : bytes.substr(i, 2));
        }
        TCp932Transcoder utf16(E::teUtf16LE);
        const std::string out = ConvertInPieces(utf16, units, {3, 1 + random.Below(100)});
        EXPECT_EQ(CountByte(out, '\n'), breaks);
    }
}

}  // namespace
}  // namespace zr::regex
