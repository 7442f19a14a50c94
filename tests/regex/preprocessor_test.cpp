#include "regex/preprocessor.h"

#include "regex/fuzzy_char_table.h"
#include "txt_file_test_support.h"

#include <gtest/gtest.h>

namespace zr::regex {
namespace {

using test::Sjis;
using test::Utf8;

// Expands a UTF-8 pattern with the fuzzy pass and returns the result in UTF-8.
std::string Fuzzy(const std::string &utf8Pattern)
{
    TREPreProcessor pre;
    pre.FuzzyCharDics().push_back(&FuzzyCharTable());
    pre.SetUseFuzzyCharDic(true);
    pre.SetPattern(Sjis(utf8Pattern));
    pre.Run();
    return Utf8(pre.Output());
}

TEST(PreProcessorFuzzy, ExpandsPlainCharactersByTheirRow)
{
    EXPECT_EQ(Fuzzy("a"), "(Ａ|ａ|A|a)");
    EXPECT_EQ(Fuzzy("1"), "(1|１|一|①|Ⅰ|壱)");
    EXPECT_EQ(Fuzzy("ab"), "(Ａ|ａ|A|a)(Ｂ|ｂ|B|b)");
    EXPECT_EQ(Fuzzy("漢x"), "漢(Ｘ|ｘ|X|x)");  // no row: copied
    EXPECT_EQ(Fuzzy(""), "");
}

TEST(PreProcessorFuzzy, VoicedKanaRowsComeBeforePlainKana)
{
    const std::string ga = "(が|ガ|ｶﾞ|か゛|カ゛)";
    EXPECT_EQ(Fuzzy("が"), ga);
    EXPECT_EQ(Fuzzy("ｶﾞ"), ga);
    EXPECT_EQ(Fuzzy("か゛"), ga);
    // A half-width kana without its mark falls through to the plain row.
    EXPECT_EQ(Fuzzy("ｶ"), "(か|カ|ｶ)");
    EXPECT_EQ(Fuzzy("ｶ(ﾞ)"), "(か|カ|ｶ)((ﾞ|゛))");
    // The first row with a matching entry wins, whatever its length.
    EXPECT_EQ(Fuzzy("ｳﾞｧ"), "(ば|バ|ﾊﾞ|は゛|ハ゛|ヴァ|う゛ぁ|ウ゛ァ|ｳﾞｧ)");
}

TEST(PreProcessorFuzzy, FirstMatchingRowNotLongestEntry)
{
    // "う" is found in row 98 before row 139 ("うぁ") is reached.
    EXPECT_EQ(Fuzzy("うぁ"), "(う|ウ|ｳ|ぅ|ゥ|ｩ)(あ|ア|ｱ|ぁ|ァ|ｧ)");
    EXPECT_EQ(Fuzzy("ー"), "(ー|～|ｰ)");
    EXPECT_EQ(Fuzzy("-"), "(-|ー|－|～|ｰ)");
}

TEST(PreProcessorFuzzy, EscapedCharactersExpandAndEntriesAreQuoted)
{
    EXPECT_EQ(Fuzzy("\\."), "(｡|\\.|。|．)");
    EXPECT_EQ(Fuzzy("\\x41"), "(Ａ|ａ|A|a)");
    EXPECT_EQ(Fuzzy("\\\\"), "(\\\\|￥)");
    EXPECT_EQ(Fuzzy("\\("), "(\\(|（)");
    EXPECT_EQ(Fuzzy("\\$"), "(\\$|＄)");
    EXPECT_EQ(Fuzzy(" "), "(　| )");
    EXPECT_EQ(Fuzzy("\""), "(\"|”)");
    EXPECT_EQ(Fuzzy(","), "(,|､|、|，)");
}

TEST(PreProcessorFuzzy, SyntaxOutsidePlainRunsIsCopiedAsWritten)
{
    EXPECT_EQ(Fuzzy("[abc]"), "[abc]");
    EXPECT_EQ(Fuzzy("[^abc]"), "[^abc]");
    EXPECT_EQ(Fuzzy("[\\x41-\\x5a]z"), "[\\x41-\\x5a](Ｚ|ｚ|Z|z)");
    EXPECT_EQ(Fuzzy("(|)"), "(|)");
    EXPECT_EQ(Fuzzy("a*"), "(Ａ|ａ|A|a)*");
    EXPECT_EQ(Fuzzy("^.b$"), "^.(Ｂ|ｂ|B|b)$");
    EXPECT_EQ(Fuzzy("(a|漢)+"), "((Ａ|ａ|A|a)|漢)+");
}

TEST(PreProcessorFuzzy, ScannerErrorsCarryTheirPositionInThePatternAsWritten)
{
    TREPreProcessor pre;
    pre.FuzzyCharDics().push_back(&FuzzyCharTable());
    pre.SetUseFuzzyCharDic(true);
    pre.SetPattern("ab[cd");
    try {
        pre.Run();
        FAIL() << "expected a syntax error";
    } catch (const ERegExpParser &e) {
        EXPECT_STREQ(e.what(), msg::kNeedRightBracket);
        EXPECT_EQ(e.Position(), 6u);
    }
    pre.SetPattern("ab");
    pre.Run();
    EXPECT_EQ(Utf8(pre.Output()), "(Ａ|ａ|A|a)(Ｂ|ｂ|B|b)");
}

TEST(PreProcessor, BothPassesOffCopiesBytesWithoutScanning)
{
    TREPreProcessor pre;
    pre.FuzzyCharDics().push_back(&FuzzyCharTable());
    const std::string broken = "a[b\\";
    pre.SetPattern(broken);
    EXPECT_NO_THROW(pre.Run());
    EXPECT_EQ(pre.Output(), broken);
}

TEST(PreProcessor, RepeatedRunGivesTheSameOutput)
{
    TREPreProcessor pre(Sjis("aが"));
    pre.FuzzyCharDics().push_back(&FuzzyCharTable());
    pre.SetUseFuzzyCharDic(true);
    pre.Run();
    const std::string first = pre.Output();
    pre.Run();
    EXPECT_EQ(pre.Output(), first);
}

TEST(PreProcessor, SynonymsApplyBeforeFuzzyCharacters)
{
    const TREDictionary synonyms = {{"ab", "x"}, {"abc", "y"}, {"cat", "dog"}};
    TREPreProcessor pre;
    pre.SynonymDics().push_back(&synonyms);
    pre.SetUseSynonymDic(true);
    pre.SetPattern("abc|cat");
    pre.Run();
    // The first row that matches decides, not the longest entry.
    EXPECT_EQ(pre.Output(), "(ab|x)c|(cat|dog)");

    pre.FuzzyCharDics().push_back(&FuzzyCharTable());
    pre.SetUseFuzzyCharDic(true);
    pre.SetPattern("x");
    pre.Run();
    EXPECT_EQ(Utf8(pre.Output()), "((Ａ|ａ|A|a)(Ｂ|ｂ|B|b)|(Ｘ|ｘ|X|x))");
}

TEST(PreProcessor, NoDictionariesLeaveThePatternAsItWas)
{
    TREPreProcessor pre("a(b|c)*");
    pre.SetUseSynonymDic(true);
    pre.SetUseFuzzyCharDic(true);
    pre.Run();
    EXPECT_EQ(pre.Output(), "a(b|c)*");
}

}  // namespace
}  // namespace zr::regex
