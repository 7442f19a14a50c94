#include "regex/encoding_detector.h"

#include "japanese_corpus.h"

#include <gtest/gtest.h>

#include <map>

namespace zr::regex {
namespace {

using test::Encoded;
using E = TTextEncoding;

TDetection Detect(const std::string &bytes, bool atStart = true, bool wholeRest = true)
{
    return DetectEncoding(bytes, atStart, wholeRest);
}

const std::string Japanese = "検索する日本語のテキストです。";

TEST(EncodingDetector, ByteOrderMarksDecideAndAreSkipped)
{
    EXPECT_EQ(Detect("\xEF\xBB\xBF"
                     "abc")
                  .encoding,
              E::teUtf8);
    EXPECT_EQ(Detect("\xEF\xBB\xBF"
                     "abc")
                  .bomLength,
              3u);
    EXPECT_EQ(Detect(Encoded("abc", E::teUtf16LE, true)).encoding, E::teUtf16LE);
    EXPECT_EQ(Detect(Encoded("abc", E::teUtf16BE, true)).encoding, E::teUtf16BE);
    EXPECT_EQ(Detect(Encoded("abc", E::teUtf16BE, true)).bomLength, 2u);
    // In the middle of a file a mark is just bytes.
    EXPECT_EQ(Detect("\xEF\xBB\xBF"
                     "abc",
                     false)
                  .bomLength,
              0u);
}

TEST(EncodingDetector, EachEncodingOfAJapaneseLineIsRecognised)
{
    EXPECT_EQ(Detect(Encoded(Japanese, E::teCp932)).encoding, E::teCp932);
    EXPECT_EQ(Detect(Japanese).encoding, E::teUtf8);
    EXPECT_EQ(Detect(Encoded(Japanese, E::teEucJp)).encoding, E::teEucJp);
    EXPECT_EQ(Detect(Encoded(Japanese, E::teIso2022Jp)).encoding, E::teIso2022Jp);
    // UTF-16 without a mark, told by the zero bytes of its ASCII.
    EXPECT_EQ(Detect(Encoded("line one\r\n" + Japanese, E::teUtf16LE)).encoding, E::teUtf16LE);
    EXPECT_EQ(Detect(Encoded("line one\r\n" + Japanese, E::teUtf16BE)).encoding, E::teUtf16BE);
}

TEST(EncodingDetector, PlainTextAndBinary)
{
    EXPECT_EQ(Detect("").encoding, E::teAscii);
    EXPECT_EQ(Detect("int main() { return 0; }\n").encoding, E::teAscii);
    // A terminal colour escape is no ISO-2022-JP.
    EXPECT_EQ(Detect("\x1b[31mred\x1b[0m\n").encoding, E::teAscii);
    EXPECT_EQ(Detect(std::string("\x7f"
                                 "ELF\x02\x01\x01\0\0\0\0\0\0\0\0\0",
                                 16))
                  .encoding,
              E::teBinary);
    // Bytes no encoding can read.
    EXPECT_EQ(Detect("\x80\xa0\xfd\xff\xfe\xa0\x80\x80\xfe\xff\x80\xfd").encoding, E::teBinary);
}

TEST(EncodingDetector, UnmarkedUtf16NeedsSeveralUnitsOfPlainText)
{
    const auto isUtf16 = [](const std::string &bytes, bool wholeRest = true) {
        const E found = Detect(bytes, true, wholeRest).encoding;
        return found == E::teUtf16LE || found == E::teUtf16BE;
    };
    // One zero byte in a few characters.
    EXPECT_FALSE(isUtf16(std::string("a\0b\nab\n", 7)));
    EXPECT_FALSE(isUtf16(std::string("a\0b\nab\n\n", 8)));
    EXPECT_FALSE(isUtf16(std::string("hello\0 x\nhello again\n", 21)));
    EXPECT_FALSE(isUtf16(std::string("hello\0 x\nhello again\n\n", 22)));
    // Zero high halves under control characters are no text.
    EXPECT_FALSE(isUtf16(std::string("\x01\0\x02\0\x03\0\x04\0\x05\0abcdefghij", 20)));
    // A whole file of odd length holds no whole UTF-16 units; a block cut
    // from a longer file may.
    const std::string unmarked = Encoded("plain words\r\n" + Japanese, E::teUtf16LE);
    EXPECT_TRUE(isUtf16(unmarked));
    EXPECT_FALSE(isUtf16(unmarked + "x"));
    EXPECT_TRUE(isUtf16(unmarked + "x", false));
    // Short unmarked UTF-16 is still told by its zero high halves, from
    // three on; one or two zero bytes are left to the byte-wise readings.
    EXPECT_TRUE(isUtf16(Encoded("abc", E::teUtf16LE)));
    EXPECT_FALSE(isUtf16(Encoded("hi", E::teUtf16BE)));
}

TEST(EncodingDetector, ACharacterCutByTheBlockEndIsNoError)
{
    std::string utf8 = Japanese + "検";
    utf8.pop_back();
    EXPECT_EQ(Detect(utf8, true, false).encoding, E::teUtf8);
    std::string sjis = Encoded(Japanese, E::teCp932) + "\x8c";
    EXPECT_EQ(Detect(sjis, true, false).encoding, E::teCp932);
}

TEST(EncodingDetector, CommonShortCases)
{
    // Kana-only EUC-JP is also valid CP932 (as half-width katakana).
    EXPECT_EQ(Detect(Encoded("あいうえお", E::teEucJp)).encoding, E::teEucJp);
    EXPECT_EQ(Detect(Encoded("カタカナ", E::teEucJp)).encoding, E::teEucJp);
    // Half-width katakana with its marks, also valid EUC-JP as level-1 kanji.
    EXPECT_EQ(Detect(Encoded("ﾃﾞｰﾀﾍﾞｰｽ", E::teCp932)).encoding, E::teCp932);
    EXPECT_EQ(Detect(Encoded("漢字", E::teEucJp)).encoding, E::teEucJp);
    EXPECT_EQ(Detect(Encoded("表示", E::teCp932)).encoding, E::teCp932);  // trail byte 0x5C
    EXPECT_EQ(Detect(Encoded("abc 漢字 def", E::teCp932)).encoding, E::teCp932);
}

TEST(EncodingDetector, MostlyOneEncodingWithAFewBadBytesIsThatEncoding)
{
    std::string text;
    for (int i = 0; i < 40; ++i)
        text += Japanese + "\n";
    text += Encoded("シフトJISの行\n", E::teCp932);
    EXPECT_EQ(Detect(text).encoding, E::teUtf8);
}

// Generated texts: short ones (a few words) are the hard cases. The full
// measurement over thousands of files is in bench/regex/encoding_accuracy.
TEST(EncodingDetector, AccuracyOnGeneratedTexts)
{
    const std::vector<std::pair<E, bool>> forms = {
        {E::teCp932, false},  {E::teUtf8, false},  {E::teUtf8, true},      {E::teUtf16LE, true},
        {E::teUtf16BE, true}, {E::teEucJp, false}, {E::teIso2022Jp, false}};
    test::JapaneseTextMaker maker(7);
    for (const auto &[encoding, bom] : forms) {
        int shortWrong = 0, longWrong = 0;
        for (int i = 0; i < 150; ++i) {
            const bool iso = encoding == E::teIso2022Jp;
            const std::string shortText = Encoded(maker.Text(4 + maker.Below(30), !iso), encoding, bom);
            const std::string longText = Encoded(maker.Text(2000 + maker.Below(4000), !iso), encoding, bom);
            shortWrong += Detect(shortText).encoding != encoding;
            longWrong += Detect(longText).encoding != encoding;
        }
        EXPECT_EQ(longWrong, 0) << EncodingName(encoding);
        EXPECT_LE(shortWrong, 3) << EncodingName(encoding);
    }
}

}  // namespace
}  // namespace zr::regex
