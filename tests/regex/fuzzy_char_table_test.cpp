#include "regex/fuzzy_char_table.h"

#include "txt_file_test_support.h"

#include <gtest/gtest.h>

namespace zr::regex {
namespace {

using test::Utf8;

// The code points of one table entry.
std::u32string Entry(std::size_t row, std::size_t entry)
{
    const std::string utf8 = Utf8(FuzzyCharTable().at(row).at(entry));
    std::u32string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t c = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k)
            c = c << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        out += c;
        i += length;
    }
    return out;
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

// Most rows follow fixed rules of the character sets, so they are checked here
// against those rules rather than against the table's own source text.
TEST(FuzzyCharTable, RowFamiliesFollowTheirCharacterSets)
{
    for (unsigned i = 0; i < 26; ++i) {
        EXPECT_EQ(Entry(i, 0), std::u32string(1, 0xFF21 + i)) << "row " << i;
        EXPECT_EQ(Entry(i, 1), std::u32string(1, 0xFF41 + i)) << "row " << i;
        EXPECT_EQ(Entry(i, 2), std::u32string(1, U'A' + i)) << "row " << i;
        EXPECT_EQ(Entry(i, 3), std::u32string(1, U'a' + i)) << "row " << i;
    }
    for (unsigned d = 0; d < 10; ++d) {
        EXPECT_EQ(Entry(26 + d, 0), std::u32string(1, U'0' + d)) << "digit " << d;
        EXPECT_EQ(Entry(26 + d, 1), std::u32string(1, 0xFF10 + d)) << "digit " << d;
        if (d == 0)
            continue;
        EXPECT_EQ(Entry(26 + d, 3), std::u32string(1, 0x2460 + d - 1)) << "digit " << d;  // circled
        EXPECT_EQ(Entry(26 + d, 4), std::u32string(1, 0x2160 + d - 1)) << "digit " << d;  // roman
    }
    // ASCII punctuation and its full-width form.
    for (std::size_t row :
         {37, 39, 40, 41, 42, 44, 45, 46, 47, 51, 52, 53, 54, 55, 56, 57, 58, 59, 61, 62, 63, 64, 65, 66}) {
        const std::u32string ascii = Entry(row, 0);
        ASSERT_EQ(ascii.size(), 1u) << "row " << row;
        EXPECT_EQ(Entry(row, 1), std::u32string(1, ascii[0] + 0xFEE0)) << "row " << row;
    }
    // Kana rows pair a hiragana with its katakana (rows 140 and 141 list the katakana first).
    for (std::size_t row = 72; row <= 142; ++row) {
        const bool katakanaFirst = row == 140 || row == 141;
        const std::u32string hiragana = Entry(row, katakanaFirst ? 1 : 0);
        const std::u32string katakana = Entry(row, katakanaFirst ? 0 : 1);
        ASSERT_EQ(hiragana.size(), 1u) << "row " << row;
        EXPECT_GE(hiragana[0], 0x3041u) << "row " << row;
        EXPECT_LE(hiragana[0], 0x3093u) << "row " << row;
        EXPECT_EQ(katakana, std::u32string(1, hiragana[0] + 0x60)) << "row " << row;
    }
    // Voiced kana are also written as their base kana and a separate mark; the
    // base is one code point below (voiced) or two below (semi-voiced).
    for (std::size_t row = 73; row <= 95; ++row) {
        const bool semiVoiced = row >= 91;
        const char32_t mark = semiVoiced ? 0x309C : 0x309B;
        const char32_t step = semiVoiced ? 2 : 1;
        EXPECT_EQ(Entry(row, 3), (std::u32string{Entry(row, 0)[0] - step, mark})) << "row " << row;
        EXPECT_EQ(Entry(row, 4), (std::u32string{Entry(row, 1)[0] - step, mark})) << "row " << row;
        const std::u32string halfWidth = Entry(row, 2);
        ASSERT_EQ(halfWidth.size(), 2u) << "row " << row;
        EXPECT_EQ(halfWidth[1], semiVoiced ? 0xFF9Fu : 0xFF9Eu) << "row " << row;
    }
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
