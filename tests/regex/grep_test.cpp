#include "regex/grep.h"

#include <gtest/gtest.h>

#include <vector>

#include "txt_file_test_support.h"

namespace zr::regex {
namespace {

using zr::test::Sjis;
using zr::test::TempFolder;

struct Hit {
    int lineNo;
    std::string line;
    bool operator==(const Hit &) const = default;
};

std::ostream &operator<<(std::ostream &out, const Hit &hit) { return out << hit.lineNo << ":" << hit.line; }

class GrepTest : public ::testing::Test {
protected:
    GrepTest()
    {
        grep_.SetOnMatch([this](TGrep &, RE_LineInfo_t &info) { hits_.push_back({info.LineNo, info.Line}); });
    }

    std::vector<Hit> Search(const std::string &pattern, const std::string &text, bool fuzzy = false)
    {
        grep_.SetUseFuzzyCharDic(fuzzy);
        grep_.SetRegExp(pattern);
        hits_.clear();
        grep_.GrepFile(folder_.Write("text.txt", text));
        return hits_;
    }

    std::vector<int> LineNumbers(const std::string &pattern, const std::string &text)
    {
        std::vector<int> out;
        for (const Hit &hit : Search(pattern, text))
            out.push_back(hit.lineNo);
        return out;
    }

    TempFolder folder_;
    TGrep grep_;
    std::vector<Hit> hits_;
};

TEST_F(GrepTest, OneReportPerLineWithItsTextAndNumber)
{
    const std::string text = "abc abc abc\nnone\nxabc\r\n";
    const std::vector<Hit> expected = {{1, "abc abc abc"}, {3, "xabc"}};
    EXPECT_EQ(Search("abc", text), expected);  // literal scan
    EXPECT_TRUE(grep_.UsesLiteralScan());
    EXPECT_EQ(Search("ab+c", text), expected);  // automaton scan
    EXPECT_FALSE(grep_.UsesLiteralScan());
}

TEST_F(GrepTest, LastLineWithoutABreakIsSearchedAndAnchored)
{
    EXPECT_EQ(Search("abc", "first\nxabc"), (std::vector<Hit>{{2, "xabc"}}));
    EXPECT_EQ(LineNumbers("c$", "abc\nxabc"), (std::vector<int>{1, 2}));
    EXPECT_EQ(LineNumbers("bc$", "abcd\nxabc"), (std::vector<int>{2}));
}

TEST_F(GrepTest, LineHeadMatchesEveryLineStartIncludingTheFirst)
{
    const std::string text = "ab\nba\r\nab\rcab\n";
    EXPECT_EQ(LineNumbers("^a", text), (std::vector<int>{1, 3}));
    EXPECT_TRUE(grep_.UsesLiteralScan());
    EXPECT_EQ(LineNumbers("^a|^c", text), (std::vector<int>{1, 3, 4}));
    EXPECT_EQ(LineNumbers("^ab$", text), (std::vector<int>{1, 3}));
}

TEST_F(GrepTest, AnyCharacterAndNegatedClassesStopAtLineBreaks)
{
    const std::string text = "a\nb\na-b\n" + Sjis("aあb") + "\n";
    EXPECT_EQ(LineNumbers("a.b", text), (std::vector<int>{3, 4}));
    EXPECT_EQ(LineNumbers("a[^x]b", text), (std::vector<int>{3, 4}));
    // An explicit line feed lets a match run into the next line; it is reported on its first line.
    EXPECT_EQ(LineNumbers("a\\nb", text), (std::vector<int>{1}));
}

TEST_F(GrepTest, MatchesNeverStartOnATrailByte)
{
    // "ア" is 0x83 0x41: its trail byte is "A".
    const std::string text = Sjis("ア") + "\n" + Sjis("xA") + "\n";
    EXPECT_EQ(LineNumbers("A", text), (std::vector<int>{2}));
    EXPECT_EQ(LineNumbers("[A-Z]", text), (std::vector<int>{2}));
    EXPECT_EQ(LineNumbers(Sjis("ア"), text), (std::vector<int>{1}));
}

TEST_F(GrepTest, EmptyPatternAndEmptyFileReportNothing)
{
    EXPECT_TRUE(Search("", "abc\n").empty());
    EXPECT_TRUE(Search("abc", "").empty());
    EXPECT_TRUE(Search("a*", "").empty());
}

TEST_F(GrepTest, MissingFileIsAnError)
{
    grep_.SetRegExp("abc");
    EXPECT_THROW(grep_.GrepFile(folder_ / "missing.txt"), EFileNotFound);
    grep_.SetRegExp("a.c");
    EXPECT_THROW(grep_.GrepFile(folder_ / "missing.txt"), EFileNotFound);
}

TEST_F(GrepTest, CodeZeroInAPatternCannotLoopAtTheEnd)
{
    EXPECT_TRUE(Search("a\\0*b", "xxa").empty());
    EXPECT_TRUE(Search("a\\0", "xxa").empty());
    EXPECT_EQ(LineNumbers("a\\0*", "xxa"), (std::vector<int>{1}));
}

TEST_F(GrepTest, FuzzySearchIgnoresCaseWidthAndKanaForms)
{
    const std::string text = Sjis("ＡＢＣ\nAbc\nａbC\nabd\nｶﾞｯｺｳ\nがっこう\nカッコウ\n");
    std::vector<int> lines;
    for (const Hit &hit : Search("abc", text, true))
        lines.push_back(hit.lineNo);
    EXPECT_EQ(lines, (std::vector<int>{1, 2, 3}));
    lines.clear();
    for (const Hit &hit : Search(Sjis("がっこう"), text, true))
        lines.push_back(hit.lineNo);
    EXPECT_EQ(lines, (std::vector<int>{5, 6}));
}

TEST_F(GrepTest, CancelFromTheMessageLoopEndsTheScan)
{
    std::string text;
    for (int i = 0; i < 10; ++i)
        text += "hit\n";
    int reports = 0;
    grep_.SetOnMatch([&](TGrep &, RE_LineInfo_t &) { ++reports; });
    grep_.SetMessageLoopHook([&] {
        if (reports == 2)
            grep_.SetCancel(true);
    });
    const std::string file = folder_.Write("cancel.txt", text);
    for (const char *pattern : {"hit", "h.t"}) {
        reports = 0;
        grep_.SetRegExp(pattern);
        EXPECT_THROW(grep_.GrepFile(file), EGrepCancel) << pattern;
        EXPECT_EQ(reports, 2) << pattern;
    }
    // A new scan clears the flag left from the last one.
    grep_.SetMessageLoopHook({});
    reports = 0;
    grep_.GrepFile(file);
    EXPECT_EQ(reports, 10);
}

TEST_F(GrepTest, StopTokenEndsTheScanAndStaysInForceForLaterScans)
{
    std::string text;
    for (int i = 0; i < 10; ++i)
        text += "hit\n";
    std::stop_source stop;
    grep_.SetStopToken(stop.get_token());
    int reports = 0;
    grep_.SetOnMatch([&](TGrep &, RE_LineInfo_t &) {
        if (++reports == 3)
            stop.request_stop();
    });
    const std::string file = folder_.Write("stop.txt", text);
    grep_.SetRegExp("hit");
    EXPECT_THROW(grep_.GrepFile(file), EGrepCancel);
    EXPECT_EQ(reports, 3);
    EXPECT_TRUE(grep_.Cancel());
    // Unlike Cancel, a requested stop is not cleared by the next scan.
    reports = 0;
    EXPECT_THROW(grep_.GrepFile(file), EGrepCancel);
    EXPECT_EQ(reports, 0);
    grep_.SetStopToken({});
    grep_.GrepFile(file);
    EXPECT_EQ(reports, 10);
}

TEST_F(GrepTest, HandlerMayAssignANewPatternDuringTheScan)
{
    grep_.SetRegExp("a.c");
    int reports = 0;
    grep_.SetOnMatch([&](TGrep &sender, RE_LineInfo_t &) {
        ++reports;
        for (int i = 0; i < 40; ++i)
            sender.SetRegExp("other" + std::to_string(i));  // evicts the running DFA
    });
    grep_.GrepFile(folder_.Write("t.txt", "abc\nabc\nabc\n"));
    EXPECT_EQ(reports, 3);
}

// Both scans must report the same lines for a literal pattern, also where a
// match straddles a block boundary or sits behind a double-byte character.
TEST_F(GrepTest, LiteralAndAutomatonScansAgree)
{
    const std::string kana = Sjis("アイ");
    std::string text = "xa\rbc\r\nabc\n" + kana + "A" + kana + "\n" + Sjis("ａ") + "abc";
    for (std::size_t pad : {102395u, 102396u, 102397u, 102398u, 102399u}) {
        text += "\n" + std::string(pad, 'x') + "abc" + kana + "\n";
        text += std::string(pad, 'y') + kana + "\r\n";
    }
    const std::string file = folder_.Write("agree.txt", text);
    for (const std::string &pattern :
         std::vector<std::string>{"abc", "^abc", "bc$", "A" + kana, kana + "\r", "x" + kana}) {
        grep_.SetRegExp(pattern);
        hits_.clear();
        grep_.LiteralScan(file);
        const std::vector<Hit> literal = hits_;
        hits_.clear();
        grep_.DfaScan(file);
        EXPECT_EQ(literal, hits_) << pattern;
    }
    grep_.SetRegExp("abc");
    hits_.clear();
    grep_.GrepFile(file);
    EXPECT_EQ(hits_.size(), 7u);  // two short lines and every padded one
}

}  // namespace
}  // namespace zr::regex
