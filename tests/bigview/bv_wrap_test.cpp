#include <gtest/gtest.h>

#include "bigview/bv_document.h"
#include "fake_measurer.h"
#include "platform/codepage.h"
#include "platform/mbchar.h"

namespace zr {
namespace {

using platform::CodePageMode;
using platform::ScopedCodePageMode;

struct Piece {
    int start;
    int length;
    bool last;
    friend bool operator==(const Piece &, const Piece &) = default;
};

std::ostream &operator<<(std::ostream &os, const Piece &p)
{
    return os << "{" << p.start << "," << p.length << (p.last ? ",last}" : "}");
}

class BvWrap : public ::testing::Test {
protected:
    std::vector<Piece> Pieces(const std::string &line, TBvWrapSettings settings, int tabChars = 8)
    {
        TBvDocument doc(measurer_);
        doc.SetTabChars(tabChars);
        doc.SetWrapSettings(settings);
        doc.AddLine(line);
        std::vector<Piece> out;
        for (int i = 0; i < doc.LineCount(); ++i)
            out.push_back({doc.Row(i).start, doc.Row(i).length, doc.Row(i).last});
        return out;
    }
    static TBvWrapSettings Bytes(int n) { return {true, n, 0}; }
    static TBvWrapSettings Width(int px) { return {true, 0, px}; }

    test::FakeMeasurer measurer_;
};

TEST_F(BvWrap, WrapByteNeverEndsAPieceOnACp932LeadByte)
{
    ScopedCodePageMode cp932(CodePageMode::Cp932);
    EXPECT_EQ(Pieces("123456789\x82\xa0", Bytes(10)), (std::vector<Piece>{{1, 9, false}, {10, 2, true}}));
    EXPECT_EQ(Pieces("\x82\xa0", Bytes(1)), (std::vector<Piece>{{1, 2, true}}));
    // A trail byte in the ASCII range ('\\') is not a place to cut either.
    EXPECT_EQ(Pieces("a\x95\x5c"
                     "b",
                     Bytes(2)),
              (std::vector<Piece>{{1, 1, false}, {2, 2, false}, {4, 1, true}}));
}

TEST_F(BvWrap, WrapByteInUtf8CountsColumnsAndKeepsWholeCharacters)
{
    ScopedCodePageMode utf8(CodePageMode::Utf8);
    // "あ" is three bytes but two columns: 9 ASCII + it with WrapByte 10 gives 9 and 3 bytes.
    EXPECT_EQ(Pieces("123456789あ", Bytes(10)), (std::vector<Piece>{{1, 9, false}, {10, 3, true}}));
    EXPECT_EQ(Pieces("あい", Bytes(1)), (std::vector<Piece>{{1, 3, false}, {4, 3, true}}));
    EXPECT_EQ(Pieces("あいう", Bytes(7)), (std::vector<Piece>{{1, 9, true}}));
    EXPECT_EQ(Pieces("あいうえ", Bytes(6)), (std::vector<Piece>{{1, 9, false}, {10, 3, true}}));
    // The same bytes read as CP932 are double-byte pairs and single bytes.
    ScopedCodePageMode cp932(CodePageMode::Cp932);
    EXPECT_EQ(Pieces("123456789\x82\xa0", Bytes(10)), (std::vector<Piece>{{1, 9, false}, {10, 2, true}}));
}

TEST_F(BvWrap, JapaneseAndAsciiWrapAtTheSameColumnInBothCodePages)
{
    // 40 columns: 40 ASCII characters, or 20 Japanese ones, whichever code page.
    const std::string japanese = "日本語のファイル名を含む長い行が続きます。検索結果の行。";  // 27 characters
    ScopedCodePageMode utf8(CodePageMode::Utf8);
    EXPECT_EQ(Pieces(std::string(50, 'a'), Bytes(40))[0].length, 40);
    EXPECT_EQ(Pieces(japanese, Bytes(40))[0].length, 20 * 3);
    // Half-width katakana is one column, as its one byte is in CP932.
    EXPECT_EQ(Pieces("ｱｲｳｴｵ", Bytes(4))[0].length, 4 * 3);
    const std::string sjis = platform::Utf8ToCp932(japanese).text;
    ScopedCodePageMode cp932(CodePageMode::Cp932);
    EXPECT_EQ(Pieces(sjis, Bytes(40))[0].length, 20 * 2);
}

TEST_F(BvWrap, CombiningMarksStayWithTheirBase)
{
    ScopedCodePageMode utf8(CodePageMode::Utf8);
    // A macOS-style decomposed name: テ + U+3099 (3 + 3 bytes) displays as デ.
    const std::string decomposed = "テ\u3099スト";
    // Two columns per piece: every piece starts on a base character.
    EXPECT_EQ(Pieces(decomposed, Bytes(2)),
              (std::vector<Piece>{{1, 6, false}, {7, 3, false}, {10, 3, true}}));
    // Cutting at the width: テ is 16 px, the mark draws onto it.
    EXPECT_EQ(Pieces(decomposed, Width(20))[0], (Piece{1, 6, false}));
    // A mark after ASCII, and several marks on one base.
    EXPECT_EQ(Pieces("e\u0301\u0323x", Bytes(1)), (std::vector<Piece>{{1, 5, false}, {6, 1, true}}));
    for (int limit = 1; limit <= 8; ++limit)
        for (const Piece &p : Pieces("aテ\u3099テ\u3099bテ\u309A", Bytes(limit)))
            EXPECT_NE(
                std::string("aテ\u3099テ\u3099bテ\u309A").substr(static_cast<std::size_t>(p.start - 1), 3),
                "\u3099")
                << "piece starting at " << p.start << " with WrapByte " << limit;
}

TEST_F(BvWrap, EmptyLinesAndNoWrap)
{
    EXPECT_EQ(Pieces("", Bytes(3)), (std::vector<Piece>{{0, 0, true}}));
    EXPECT_EQ(Pieces("abcdefgh", {false, 3, 10}), (std::vector<Piece>{{1, 8, true}}));
    EXPECT_EQ(Pieces("", {false, 0, 10}), (std::vector<Piece>{{0, 0, true}}));
}

TEST_F(BvWrap, WidthWrappingFillsTheWidthWithinTwoCharacters)
{
    // 40 ASCII bytes of 8 px into 100 px: the estimate of 12 bytes is
    // refined to 11 (88 px, within two characters of the edge).
    const auto pieces = Pieces(std::string(40, 'a'), Width(100));
    ASSERT_EQ(pieces.size(), 4u);
    EXPECT_EQ(pieces[0], (Piece{1, 11, false}));
    EXPECT_EQ(pieces[3], (Piece{34, 7, true}));
    // Too-short estimates grow: 3-byte characters make the average 5 px a byte.
    ScopedCodePageMode utf8(CodePageMode::Utf8);
    const auto wide = Pieces("あいうえおかきくけこ", Width(100));
    ASSERT_FALSE(wide.empty());
    EXPECT_EQ(wide[0].length, 18);  // 6 characters, 96 px
    EXPECT_EQ(Pieces("short", Width(100)), (std::vector<Piece>{{1, 5, true}}));
}

TEST_F(BvWrap, WidthWrappingOfMixedTextConvergesAndStaysWhole)
{
    ScopedCodePageMode utf8(CodePageMode::Utf8);
    // Average byte width misleads the first estimate (3 bytes = 16 px);
    // every piece still starts on a character.
    const std::string line = "abcdあいうえおかきくけこ0123456789";
    TBvDocument doc(measurer_);
    doc.SetWrapSettings(Width(80));
    doc.AddLine(line);
    ASSERT_GT(doc.LineCount(), 1);
    int covered = 0;
    for (int i = 0; i < doc.LineCount(); ++i) {
        EXPECT_FALSE(platform::IsInsideCharAt(line, static_cast<std::size_t>(doc.Row(i).start - 1)));
        covered += doc.Row(i).length;
    }
    EXPECT_EQ(covered, static_cast<int>(line.size()));
}

TEST_F(BvWrap, TabsCountTheirExpandedWidth)
{
    // "a\tb" = 8 + (tab to 64) + 8 = 72 px with 8-character tabs.
    EXPECT_EQ(Pieces("a\tb", Width(80)), (std::vector<Piece>{{1, 3, true}}));
    EXPECT_EQ(Pieces("a\tb", Width(60)).size(), 2u);
    EXPECT_EQ(Pieces("a\tb", Width(60), 2).size(), 1u);  // tab to 16: 24 px
}

TEST_F(BvWrap, NarrowWidthStillAdvancesOneCharacterAtATime)
{
    ScopedCodePageMode cp932(CodePageMode::Cp932);
    EXPECT_EQ(Pieces("\x82\xa0\x82\xa2", Width(1)), (std::vector<Piece>{{1, 2, false}, {3, 2, true}}));
}

}  // namespace
}  // namespace zr
