#include <gtest/gtest.h>

#include "bigview/bv_caret_keys.h"
#include "bigview/bv_geometry.h"
#include "bigview/bv_scroll_keys.h"
#include "bigview/bv_selection.h"
#include "bigview/bv_style.h"
#include "fake_measurer.h"
#include "platform/mbchar.h"

namespace zr {
namespace {

using platform::CodePageMode;
using platform::ScopedCodePageMode;

class BvViewRules : public ::testing::Test {
protected:
    BvViewRules() : doc_(measurer_) { doc_.SetWrapSettings({false, 0, 0}); }
    test::FakeMeasurer measurer_;
    TBvDocument doc_;
    ScopedCodePageMode cp932_{CodePageMode::Cp932};
};

TEST_F(BvViewRules, WordSelectionOnMultiByteAndAsciiWords)
{
    const std::string row = "ab_1 \x82\xa0\x95\x5cxy.";  // "ab_1 " + 2 kanji + "xy."
    EXPECT_EQ(WordAt(row, 2).begin, 1);
    EXPECT_EQ(WordAt(row, 2).end, 5);
    EXPECT_EQ(WordAt(row, 5).end - WordAt(row, 5).begin, 1);  // the blank alone
    // First or second byte: the whole character, nothing around it.
    EXPECT_EQ(WordAt(row, 6).begin, 6);
    EXPECT_EQ(WordAt(row, 6).end, 8);
    EXPECT_EQ(WordAt(row, 9).begin, 8);  // '\\' is the second byte of 0x95 0x5C
    EXPECT_EQ(WordAt(row, 9).end, 10);
    // The word stops at the double-byte character before it.
    EXPECT_EQ(WordAt(row, 11).begin, 10);
    EXPECT_EQ(WordAt(row, 11).end, 12);
    EXPECT_EQ(WordAt(row, 12).end, 13);
    EXPECT_EQ(WordAt(row, 99).begin, WordAt(row, 99).end);
}

TEST_F(BvViewRules, WordOfASecondByteThatLooksLikeALetter)
{
    // 0x83 0x41 is katakana A; its second byte 'A' is not a word of its own.
    const std::string row = "x\x83\x41y";
    EXPECT_EQ(WordAt(row, 3).begin, 2);
    EXPECT_EQ(WordAt(row, 3).end, 4);
    EXPECT_EQ(WordAt(row, 4).begin, 4);  // 'y' does not reach back into the kana
}

TEST_F(BvViewRules, VerticalKeysMoveOffSecondBytes)
{
    doc_.Assign({"abcd", "\x82\xa0\x82\xa2", "abcd"});
    // Column 2 of row 1 is a second byte: Down moves right, Up moves left.
    EXPECT_EQ(MoveCaret(doc_, {2, 0}, TBvKey::Down, false, 5).pos, (TBvPos{3, 1}));
    EXPECT_EQ(MoveCaret(doc_, {4, 2}, TBvKey::Up, false, 5).pos, (TBvPos{3, 1}));
    EXPECT_EQ(MoveCaret(doc_, {2, 2}, TBvKey::Up, false, 5).pos, (TBvPos{1, 1}));
    EXPECT_EQ(MoveCaret(doc_, {3, 0}, TBvKey::Up, false, 5).pos, (TBvPos{3, 0}));
    EXPECT_EQ(MoveCaret(doc_, {3, 2}, TBvKey::Down, false, 5).pos, (TBvPos{3, 2}));
}

TEST_F(BvViewRules, HorizontalKeysStepOverWholeCharacters)
{
    doc_.Assign({"a\x82\xa0"
                 "b"});
    EXPECT_EQ(MoveCaret(doc_, {2, 0}, TBvKey::Right, false, 5).pos.X, 4);
    EXPECT_EQ(MoveCaret(doc_, {4, 0}, TBvKey::Left, false, 5).pos.X, 2);
    EXPECT_EQ(MoveCaret(doc_, {1, 0}, TBvKey::Left, false, 5).pos.X, 1);
    EXPECT_EQ(MoveCaret(doc_, {5, 0}, TBvKey::Right, false, 5).pos.X, 5);
    EXPECT_EQ(MoveCaret(doc_, {3, 0}, TBvKey::Home, false, 5).pos.X, 1);
    EXPECT_EQ(MoveCaret(doc_, {1, 0}, TBvKey::End, false, 5).pos.X, 5);
}

TEST_F(BvViewRules, PageAndDocumentKeys)
{
    doc_.Assign({"a", "b", "c", "d", "e", "f", "g", "hh"});
    const TBvCaretMove down = MoveCaret(doc_, {1, 1}, TBvKey::PageDown, false, 3);
    EXPECT_EQ(down.pos, (TBvPos{1, 4}));
    EXPECT_EQ(down.topDelta, 3);
    const TBvCaretMove clamped = MoveCaret(doc_, {1, 6}, TBvKey::PageDown, false, 3);
    EXPECT_EQ(clamped.pos.Y, 7);
    EXPECT_EQ(clamped.topDelta, 1);
    EXPECT_EQ(MoveCaret(doc_, {1, 1}, TBvKey::PageUp, false, 3).topDelta, -1);
    EXPECT_EQ(MoveCaret(doc_, {1, 3}, TBvKey::End, true, 3).pos, (TBvPos{3, 7}));
    EXPECT_EQ(MoveCaret(doc_, {2, 7}, TBvKey::Home, true, 3).pos, (TBvPos{1, 0}));
}

TEST_F(BvViewRules, HitTestRowsColumnsAndOutsidePoints)
{
    doc_.Assign({"ab\x82\xa0"
                 "c",
                 "xy"});
    const TBvGeometry geometry(doc_, measurer_);
    const TBvViewport view{0, 0, 5, 200};
    // x is measured from the 4-pixel margin; a point inside a character
    // lands before it once the character's right edge reaches it.
    EXPECT_EQ(geometry.HitTest(4, 5, view), (TBvPos{1, 0}));
    EXPECT_EQ(geometry.HitTest(4 + 9, 5, view), (TBvPos{2, 0}));
    EXPECT_EQ(geometry.HitTest(4 + 20, 5, view), (TBvPos{3, 0}));  // never column 4, a second byte
    EXPECT_EQ(geometry.HitTest(4 + 33, 5, view), (TBvPos{5, 0}));
    EXPECT_EQ(geometry.HitTest(500, 5, view), (TBvPos{6, 0}));
    EXPECT_EQ(geometry.HitTest(30, -7, view), (TBvPos{1, 0}));
    EXPECT_EQ(geometry.HitTest(0, 95, view), (TBvPos{3, 1}));  // below the last row: its end
    // Scrolled right by two characters: x 4 is 16 pixels into the text.
    EXPECT_EQ(geometry.HitTest(4 + 1, 5, {0, 2, 5, 200}), (TBvPos{3, 0}));
}

TEST_F(BvViewRules, OffsetKeepsTheCaretColumnVisible)
{
    doc_.Assign({std::string(100, 'a')});
    const TBvGeometry geometry(doc_, measurer_);
    EXPECT_EQ(geometry.OffsetShowingColumn(0, 1, {0, 0, 5, 100}), 0);
    EXPECT_EQ(geometry.OffsetShowingColumn(0, 50, {0, 0, 5, 100}), 38);
    EXPECT_EQ(geometry.OffsetShowingColumn(0, 5, {0, 30, 5, 100}), 4);
    EXPECT_EQ(geometry.OffsetShowingColumn(0, 35, {0, 30, 5, 100}), 30);
}

TEST_F(BvViewRules, SelectedTextJoinsPiecesAndBreaksLogicalLines)
{
    doc_.SetWrapSettings({true, 3, 0});
    doc_.Assign({"abcdef", "", "xyz"});  // rows: abc def "" xyz
    EXPECT_EQ(SelectedText(doc_, {2, 0}, {2, 3}), "bcdef\n\nx");
    EXPECT_EQ(SelectedText(doc_, {2, 3}, {2, 0}), "bcdef\n\nx");
    EXPECT_EQ(SelectedText(doc_, {1, 1}, {4, 1}), "def");
    EXPECT_EQ(SelectedText(doc_, {2, 1}, {2, 1}), "");
}

TEST(BvScrollKeys, KeysScrollOnlyAlongAnExistingScrollBar)
{
    using A = TBvScrollKeyAction;
    EXPECT_EQ(ScrollKeyAction(TBvKey::Down, false, TBvScrollBars::ssNone), A::None);
    EXPECT_EQ(ScrollKeyAction(TBvKey::Down, false, TBvScrollBars::ssVertical), A::LineDown);
    EXPECT_EQ(ScrollKeyAction(TBvKey::Up, true, TBvScrollBars::ssVertical), A::PageUp);
    EXPECT_EQ(ScrollKeyAction(TBvKey::End, true, TBvScrollBars::ssVertical), A::Bottom);
    EXPECT_EQ(ScrollKeyAction(TBvKey::End, false, TBvScrollBars::ssVertical), A::None);
    EXPECT_EQ(ScrollKeyAction(TBvKey::Left, false, TBvScrollBars::ssVertical), A::None);
    EXPECT_EQ(ScrollKeyAction(TBvKey::Right, true, TBvScrollBars::ssHorizontal), A::PageRight);
    EXPECT_EQ(ScrollKeyAction(TBvKey::Home, false, TBvScrollBars::ssBoth), A::Leftmost);
    EXPECT_EQ(ScrollKeyAction(TBvKey::Home, true, TBvScrollBars::ssBoth), A::Top);
    EXPECT_EQ(ScrollKeyAction(TBvKey::PageDown, false, TBvScrollBars::ssHorizontal), A::None);
}

TEST(BvFrameRules, EdgesFollowTheResizeStyles)
{
    const TBvStyle both = TBvStyleFlag::bvVResize | TBvStyleFlag::bvHResize;
    EXPECT_EQ(TBvFrameRules::EdgesAt(both, 1, 1, 100, 80), EdgeLeft | EdgeTop);
    EXPECT_EQ(TBvFrameRules::EdgesAt(both, 99, 40, 100, 80), EdgeRight);
    const TBvStyle vertical = TBvStyleFlag::bvVResize;
    EXPECT_EQ(TBvFrameRules::EdgesAt(vertical, 1, 40, 100, 80), EdgeNone);
    EXPECT_EQ(TBvFrameRules::EdgesAt(vertical, 50, 79, 100, 80), EdgeBottom);
    EXPECT_EQ(TBvFrameRules::EdgesAt(vertical, 1, 79, 100, 80), EdgeNone) << "corners are inert";
    EXPECT_EQ(TBvFrameRules::EdgesAt(TBvStyleFlag::bvClientLow, 0, 0, 100, 80), EdgeNone);
    EXPECT_EQ(TBvFrameRules::FrameWidth(TBvStyleFlag::bvClientLow), 2);
    EXPECT_EQ(TBvFrameRules::FrameWidth(TBvStyle()), 0);
}

TEST(BvFrameRules, MovingNeedsCaptionDragOrCtrl)
{
    const TBvStyle captionMove = TBvStyleFlag::bvCaption | TBvStyleFlag::bvMove;
    EXPECT_TRUE(TBvFrameRules::DragMoves(captionMove, true, false));
    EXPECT_FALSE(TBvFrameRules::DragMoves(captionMove, false, true));
    EXPECT_FALSE(TBvFrameRules::DragMoves(TBvStyleFlag::bvCaption, true, false));
    EXPECT_TRUE(TBvFrameRules::DragMoves(TBvStyleFlag::bvMove, false, true));
    EXPECT_FALSE(TBvFrameRules::DragMoves(TBvStyleFlag::bvMove, false, false));
}

}  // namespace
}  // namespace zr
