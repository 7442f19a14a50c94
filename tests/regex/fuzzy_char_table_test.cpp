#include "regex/fuzzy_char_table.h"

#include "platform/codepage.h"

#include <gtest/gtest.h>

namespace zr::regex {
namespace {

std::string Utf8(const std::string &cp932)
{
    platform::ConversionResult converted = platform::Cp932ToUtf8(cp932);
    EXPECT_TRUE(converted.ok);
    return converted.text;
}

TEST(FuzzyCharTable, EveryRowConvertsToCp932WithoutLoss)
{
    const TREDictionary &table = FuzzyCharTable();
    ASSERT_EQ(table.size(), kFuzzyCharRowCount);
    ASSERT_EQ(FuzzyCharTableSource().size(), kFuzzyCharRowCount);
    for (std::size_t i = 0; i < table.size(); ++i) {
        const TREDictionaryRow source = SplitCommaText(FuzzyCharTableSource()[i]);
        ASSERT_EQ(table[i].size(), source.size()) << "row " << i;
        ASSERT_GE(table[i].size(), 2u) << "row " << i;
        for (std::size_t e = 0; e < source.size(); ++e) {
            EXPECT_FALSE(table[i][e].empty()) << "row " << i;
            EXPECT_EQ(Utf8(table[i][e]), source[e]) << "row " << i << " entry " << e;
        }
    }
}

TEST(FuzzyCharTable, RowsThatNeedQuotingKeepTheirEntries)
{
    const TREDictionary &table = FuzzyCharTable();
    EXPECT_EQ(table[36], (TREDictionaryRow{"\x81\x40", " "}));
    EXPECT_EQ(table[38], (TREDictionaryRow{"\"", "\x81\x68"}));
    EXPECT_EQ(table[68][0], ",");
    EXPECT_EQ(table[68].size(), 4u);
    EXPECT_EQ(table[60], (TREDictionaryRow{"\\", "\x81\x8F"}));
}

TEST(FuzzyCharTable, LandmarkRowsSitAtTheirPlaces)
{
    const TREDictionary &table = FuzzyCharTable();
    auto row = [&](std::size_t i) {
        std::string joined;
        for (const std::string &entry : table[i])
            joined += Utf8(entry) + "·";
        return joined;
    };
    EXPECT_EQ(row(0), "Ａ·ａ·A·a·");
    EXPECT_EQ(row(25), "Ｚ·ｚ·Z·z·");
    EXPECT_EQ(row(27), "1·１·一·①·Ⅰ·壱·");
    EXPECT_EQ(row(48), "ー·～·ｰ·");
    EXPECT_EQ(row(49), "-·ー·－·～·ｰ·");
    EXPECT_EQ(row(72), "ん·ン·ﾝ·");
    EXPECT_EQ(row(73), "が·ガ·ｶﾞ·か゛·カ゛·");
    EXPECT_EQ(row(79), "じ·ジ·ｼﾞ·し゛·シ゛·ぢ·ヂ·ﾁﾞ·ち゛·チ゛·");
    EXPECT_EQ(row(95), "ぽ·ポ·ﾎﾟ·ほ゜·ホ゜·");
    EXPECT_EQ(row(96), "あ·ア·ｱ·ぁ·ァ·ｧ·");
    EXPECT_EQ(row(139), "わ·ワ·ﾜ·うぁ·ウァ·ｳｧ·");
    EXPECT_EQ(row(142), "を·ヲ·ｦ·うぉ·ウォ·ｳｫ·");
    EXPECT_EQ(row(144), "ﾟ·゜·");
}

TEST(SplitCommaText, QuotesBlanksAndTrailingComma)
{
    EXPECT_EQ(SplitCommaText("a,b,c"), (TREDictionaryRow{"a", "b", "c"}));
    EXPECT_EQ(SplitCommaText("  a , b  "), (TREDictionaryRow{"a", "b"}));
    EXPECT_EQ(SplitCommaText("a b"), (TREDictionaryRow{"a", "b"}));
    EXPECT_EQ(SplitCommaText("a,"), (TREDictionaryRow{"a"}));
    EXPECT_EQ(SplitCommaText("a,,b"), (TREDictionaryRow{"a", "", "b"}));
    EXPECT_EQ(SplitCommaText(R"(" ",",","x""y",z)"), (TREDictionaryRow{" ", ",", "x\"y", "z"}));
    EXPECT_EQ(SplitCommaText(R"("""")"), (TREDictionaryRow{"\""}));
    EXPECT_EQ(SplitCommaText(R"("open)"), (TREDictionaryRow{"open"}));
    EXPECT_TRUE(SplitCommaText("").empty());
}

}  // namespace
}  // namespace zr::regex
