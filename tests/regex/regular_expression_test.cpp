#include "regex/regular_expression.h"

#include <gtest/gtest.h>

#include "regex/grep.h"
#include "txt_file_test_support.h"

namespace zr::regex {
namespace {

using zr::test::Sjis;

TEST(RegularExpressionCacheTest, SamePatternCompilesOnce)
{
    TRegularExpression re;
    re.SetRegExp("abc");
    const auto first = re.CurrentDfa();
    re.SetRegExp("x");
    re.SetRegExp("abc");
    EXPECT_EQ(re.CurrentDfa(), first);
    EXPECT_EQ(re.CacheCount(), 3u);
    EXPECT_EQ(re.CacheText(0), "");
    EXPECT_EQ(re.RegExp(), "abc");
}

TEST(RegularExpressionCacheTest, NewPatternsEnterAtOneAndTheOldestLeaves)
{
    TRegularExpression re;
    for (int i = 0; i < 29; ++i)
        re.SetRegExp("p" + std::to_string(i));
    ASSERT_EQ(re.CacheCount(), 30u);
    EXPECT_EQ(re.CacheText(1), "p28");
    EXPECT_EQ(re.CacheText(29), "p0");
    // A hit keeps its place: p0 is still the next to leave.
    re.SetRegExp("p0");
    EXPECT_EQ(re.CurrentIndex(), 29u);
    re.SetRegExp("new");
    EXPECT_EQ(re.CacheCount(), 30u);
    EXPECT_EQ(re.CacheText(0), "");
    EXPECT_EQ(re.CacheText(1), "new");
    EXPECT_EQ(re.CacheText(2), "p28");
    EXPECT_EQ(re.CacheText(29), "p1");
}

TEST(RegularExpressionCacheTest, FailedAssignmentLeavesTheEmptyPatternCurrent)
{
    TRegularExpression re;
    re.SetRegExp("abc");
    try {
        re.SetRegExp("a**");
        FAIL() << "expected a syntax error";
    } catch (const ERegExpParser &e) {
        EXPECT_STREQ(e.what(), msg::kNeedCharOrLParen);
        EXPECT_EQ(e.Position(), 4u);
    }
    EXPECT_EQ(re.RegExp(), "");
    EXPECT_EQ(re.CurrentIndex(), 0u);
    EXPECT_EQ(re.CacheCount(), 2u);  // the failed pattern is not kept
    EXPECT_EQ(re.CacheText(1), "abc");
}

TEST(RegularExpressionCacheTest, PlainComponentUsesItsOwnLineCodes)
{
    TRegularExpression re;
    re.SetRegExp("^a$");
    const auto dfa = re.CurrentDfa();
    EXPECT_FALSE(dfa->IsLiteral());
    int s = dfa->Start();
    for (CharCode c : {CharCode(0xFFFD), CharCode('a'), CharCode(0xFFFE)})
        s = dfa->Next(s, c);
    ASSERT_NE(s, kNoState);
    EXPECT_TRUE(dfa->Accepting(s));
}

TEST(GrepPatternTest, ExpansionErrorsChangeNothing)
{
    TGrep grep;
    grep.SetRegExp("abc");
    grep.SetUseFuzzyCharDic(true);
    const std::size_t current = grep.CurrentIndex();
    EXPECT_THROW(grep.SetRegExp("[abc"), ERegExpParser);
    EXPECT_EQ(grep.RegExp(), "abc");
    EXPECT_EQ(grep.CurrentIndex(), current);
    // Without a dictionary pass the same error comes from the parser.
    grep.SetUseFuzzyCharDic(false);
    EXPECT_THROW(grep.SetRegExp("[abc"), ERegExpParser);
    EXPECT_EQ(grep.RegExp(), "");
    EXPECT_EQ(grep.CurrentIndex(), 0u);
}

TEST(GrepPatternTest, SwitchingFuzzyReexpandsAndChoosesTheScan)
{
    TGrep grep;
    grep.SetRegExp("abc");
    EXPECT_TRUE(grep.UsesLiteralScan());
    grep.SetUseFuzzyCharDic(true);
    EXPECT_FALSE(grep.UsesLiteralScan());
    EXPECT_EQ(grep.RegExp(), "abc");
    EXPECT_EQ(grep.CacheText(grep.CurrentIndex()), Sjis("(Ａ|ａ|A|a)(Ｂ|ｂ|B|b)(Ｃ|ｃ|C|c)"));
    grep.SetUseFuzzyCharDic(false);
    EXPECT_TRUE(grep.UsesLiteralScan());
}

// Every realistic fuzzy pattern of up to 40 characters must compile.
TEST(GrepPatternTest, LongFuzzyPatternsCompile)
{
    const std::vector<std::string> patterns = {
        "がぎぐげござじずぜぞだでどばびぶべぼぱぴぷぺぽあいうえおかきくけこABCDEabcde",
        "ばばばばばばばばばばばばばばばばばばばばばばばばばばばばばばばばばばばばばばばば",
        "うううううううううううううううううううううううううううううううううううううううう",
        "ー-ｰ～ー-ｰ～ー-ｰ～ー-ｰ～ー-ｰ～ー-ｰ～ー-ｰ～ー-ｰ～ー-ｰ～ー-ｰ～",
        "ｳﾞｧｳﾞｨｳﾞｪｳﾞｫｳｧｳｨｳｪｳｫｶﾞｷﾞｸﾞｹﾞｺﾞﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟｳﾞｧｳﾞｨｳﾞｪ",
        "1234567890１２３４５６７８９０一二三四五六七八九零(a|b)*ｶﾞ?.[あ-ん]+テスト文字列",
    };
    TGrep grep;
    grep.SetUseFuzzyCharDic(true);
    for (const std::string &utf8 : patterns) {
        EXPECT_NO_THROW(grep.SetRegExp(Sjis(utf8))) << utf8;
        EXPECT_EQ(grep.RegExp(), Sjis(utf8));
    }
}

}  // namespace
}  // namespace zr::regex
