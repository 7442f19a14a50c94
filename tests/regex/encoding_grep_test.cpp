// Searching files in every supported encoding: the same lines, numbers and
// texts whatever the file's encoding.
#include "regex/grep.h"
#include "regex/line_display.h"

#include "japanese_corpus.h"
#include "txt_file_test_support.h"

#include <gtest/gtest.h>

namespace zr::regex {
namespace {

using test::Encoded;
using test::Sjis;
using E = TTextEncoding;

struct Shown {
    int lineNo;
    std::string text;  // UTF-8, as the user sees it
    bool operator==(const Shown &) const = default;
};

std::ostream &operator<<(std::ostream &out, const Shown &hit) { return out << hit.lineNo << ":" << hit.text; }

struct Form {
    E encoding;
    bool bom;
    std::string name;
};

const std::vector<Form> &AllForms()
{
    static const std::vector<Form> forms = {
        {E::teCp932, false, "cp932"},          {E::teUtf8, false, "utf-8"},
        {E::teUtf8, true, "utf-8 bom"},        {E::teUtf16LE, true, "utf-16le bom"},
        {E::teUtf16BE, true, "utf-16be bom"},  {E::teEucJp, false, "euc-jp"},
        {E::teIso2022Jp, false, "iso-2022-jp"}};
    return forms;
}

class EncodingGrepTest : public ::testing::Test {
protected:
    EncodingGrepTest()
    {
        grep_.SetOnMatch([this](TGrep &, RE_LineInfo_t &info) {
            hits_.push_back({info.LineNo, LineTextForDisplay(info.Line, info.Substitutes)});
        });
    }

    std::vector<Shown> Search(const std::string &utf8Pattern, const std::string &bytes, bool fuzzy = false)
    {
        grep_.SetUseFuzzyCharDic(fuzzy);
        grep_.SetRegExp(Sjis(utf8Pattern));
        hits_.clear();
        grep_.GrepFile(folder_.Write("text.txt", bytes));
        return hits_;
    }

    test::TempFolder folder_;
    TGrep grep_;
    std::vector<Shown> hits_;
};

const std::string Lines = "一行目は ASCII だけ: plain\r\n"
                          "検索する文字列です。\r\n"
                          "ｶﾞｯｺｳとがっこう\r\n"
                          "\r\n"
                          "最後の行も検索";

TEST_F(EncodingGrepTest, LiteralAndFuzzySearchesAgreeInEveryEncoding)
{
    for (const Form &form : AllForms()) {
        // ISO-2022-JP has no half-width katakana: it is written full-width.
        std::string text = Lines;
        if (form.encoding == E::teIso2022Jp)
            text.replace(text.find("ｶﾞｯｺｳ"), std::string("ｶﾞｯｺｳ").size(), "ガッコウ");
        const std::string bytes = Encoded(text, form.encoding, form.bom);
        SCOPED_TRACE(form.name);
        EXPECT_EQ(Search("検索", bytes),
                  (std::vector<Shown>{{2, "検索する文字列です。"}, {5, "最後の行も検索"}}));
        EXPECT_EQ(grep_.LastEncoding(), form.encoding);
        EXPECT_EQ(Search("文字.*す", bytes), (std::vector<Shown>{{2, "検索する文字列です。"}}));
        const std::string third = form.encoding == E::teIso2022Jp ? "ガッコウとがっこう" : "ｶﾞｯｺｳとがっこう";
        EXPECT_EQ(Search("ガッコウ", bytes, true), (std::vector<Shown>{{3, third}}));
        EXPECT_EQ(Search("PLAIN", bytes, true), (std::vector<Shown>{{1, "一行目は ASCII だけ: plain"}}));
        EXPECT_EQ(Search("^$", bytes).size(), 1u);
        EXPECT_EQ(Search("検索$", bytes), (std::vector<Shown>{{5, "最後の行も検索"}}));
    }
}

TEST_F(EncodingGrepTest, ACharacterOutsideCp932KeepsItsLineFindableAndShown)
{
    const std::string text = "前の行\n𠮷野家で検索😀する\n😀\n後の行\n";
    for (const Form &form : AllForms()) {
        if (form.encoding == E::teCp932 || form.encoding == E::teEucJp || form.encoding == E::teIso2022Jp)
            continue;  // these cannot hold the characters at all
        SCOPED_TRACE(form.name);
        const std::string bytes = Encoded(text, form.encoding, form.bom);
        EXPECT_EQ(Search("野家", bytes), (std::vector<Shown>{{2, "𠮷野家で検索😀する"}}));
        EXPECT_EQ(Search("後の", bytes), (std::vector<Shown>{{4, "後の行"}}));
        // The stand-in itself is what the CP932 rules see.
        EXPECT_EQ(Search("〓", bytes), (std::vector<Shown>{{2, "𠮷野家で検索😀する"}, {3, "😀"}}));
    }
}

TEST_F(EncodingGrepTest, JapaneseThatStartsAfterAPlainAsciiBlock)
{
    std::string ascii;
    while (ascii.size() < 150 * 1024)
        ascii += "plain ascii line of a long log file\n";
    const int asciiLines = static_cast<int>(ascii.size() / 36);
    for (E encoding : {E::teUtf8, E::teEucJp, E::teIso2022Jp}) {
        SCOPED_TRACE(EncodingName(encoding));
        const std::string bytes = ascii + Encoded("ここで検索\nlast line\n", encoding);
        const auto hits = Search("検索", bytes);
        EXPECT_EQ(hits, (std::vector<Shown>{{asciiLines + 1, "ここで検索"}}));
        EXPECT_EQ(grep_.LastEncoding(), encoding);
        EXPECT_EQ(Search("last", bytes), (std::vector<Shown>{{asciiLines + 2, "last line"}}));
    }
    EXPECT_EQ(Search("検索", ascii + "ここで検索😀\n"), (std::vector<Shown>{{asciiLines + 1, "ここで検索😀"}}));
}

TEST_F(EncodingGrepTest, MixedAndDamagedFilesKeepTheirLines)
{
    std::string bytes;
    for (int i = 0; i < 5; ++i)
        bytes += "UTF-8で書いた行\n";
    bytes += "UTF-8で検索\n" + Sjis("シフトJISで検索") + "\n" + Encoded("EUCで検索", E::teEucJp) +
             "\n\xff\xfe\n最後に検索\n";
    const auto hits = Search("検索", bytes);
    EXPECT_EQ(grep_.LastEncoding(), E::teUtf8);
    ASSERT_GE(hits.size(), 3u);
    EXPECT_EQ(hits.front(), (Shown{6, "UTF-8で検索"}));
    EXPECT_EQ(hits[1], (Shown{7, "シフトJISで検索"}));
    EXPECT_EQ(hits.back(), (Shown{10, "最後に検索"}));
    EXPECT_EQ(Search("UTF", bytes).size(), 6u);
}

TEST_F(EncodingGrepTest, ForcedEncodings)
{
    const std::string utf8 = "検索\n";
    grep_.SetEncodingChoice(TEncodingChoice::ecCp932);
    EXPECT_TRUE(Search("検索", utf8).empty());  // read as CP932 bytes
    EXPECT_EQ(grep_.LastEncoding(), E::teCp932);
    grep_.SetEncodingChoice(TEncodingChoice::ecUtf8);
    EXPECT_EQ(Search("検索", "\xEF\xBB\xBF" + utf8), (std::vector<Shown>{{1, "検索"}}));
    // Half-width katakana in EUC-JP, which detection alone could read as CP932.
    const std::string euc = Encoded("ｱｲｳ検索\n", E::teEucJp);
    grep_.SetEncodingChoice(TEncodingChoice::ecEucJp);
    EXPECT_EQ(Search("検索", euc), (std::vector<Shown>{{1, "ｱｲｳ検索"}}));
    grep_.SetEncodingChoice(TEncodingChoice::ecUtf16);
    EXPECT_EQ(Search("検索", Encoded("a\n検索\n", E::teUtf16BE)), (std::vector<Shown>{{2, "検索"}}));
    EXPECT_EQ(grep_.LastEncoding(), E::teUtf16BE);
    EXPECT_EQ(Search("検索", Encoded("a\n検索\n", E::teUtf16LE, true)), (std::vector<Shown>{{2, "検索"}}));
    grep_.SetEncodingChoice(TEncodingChoice::ecIso2022Jp);
    EXPECT_EQ(Search("検索", Encoded("検索\n", E::teIso2022Jp)), (std::vector<Shown>{{1, "検索"}}));
}

TEST_F(EncodingGrepTest, BinaryAndCp932FilesAreSearchedAsTheirBytes)
{
    std::string binary(4096, '\0');
    binary.replace(1000, 8, Sjis("検索"));
    const auto hits = Search("検索", binary);
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(grep_.LastEncoding(), E::teBinary);
    // CP932 text whose lines end in trail bytes equal to "\" and "|".
    EXPECT_EQ(Search("表示", Sjis("表示\nソ|ソ\n")), (std::vector<Shown>{{1, "表示"}}));
    EXPECT_EQ(grep_.LastEncoding(), E::teCp932);
}

// One zero byte in a short text is no sign of UTF-16: the text is read as
// bytes, and the zero byte reads as a blank.
TEST_F(EncodingGrepTest, AStrayZeroByteLeavesAShortTextAsItsBytes)
{
    EXPECT_EQ(Search("a b", std::string("a\0b\nab\n", 7)), (std::vector<Shown>{{1, "a b"}}));
    EXPECT_EQ(Search("hello", std::string("hello\0 x\nhello again\n", 21)),
              (std::vector<Shown>{{1, "hello  x"}, {2, "hello again"}}));
    // The same texts of even length.
    EXPECT_EQ(Search("a b", std::string("a\0b\nab\n\n", 8)).size(), 1u);
    EXPECT_EQ(Search("hello", std::string("hello\0 x\nhello again\n\n", 22)).size(), 2u);
    EXPECT_NE(grep_.LastEncoding(), E::teUtf16LE);
}

TEST_F(EncodingGrepTest, LongUtf16LinesAcrossBlocks)
{
    std::string text = "始め\n";
    std::string longLine;
    while (longLine.size() < 300 * 1024)
        longLine += "長い行の中身😀";
    text += longLine + "検索\n終わり\n";
    const auto hits = Search("検索", Encoded(text, E::teUtf16LE, true));
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0].lineNo, 2);
    EXPECT_EQ(hits[0].text, longLine + "検索");
    EXPECT_EQ(Search("終わり", Encoded(text, E::teUtf16LE, true)), (std::vector<Shown>{{3, "終わり"}}));
}

}  // namespace
}  // namespace zr::regex
