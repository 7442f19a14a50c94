#include <gtest/gtest.h>

#include "bigview/bv_document.h"
#include "fake_measurer.h"

namespace zr {
namespace {

class BvDocument : public ::testing::Test {
protected:
    BvDocument() : doc_(measurer_) { doc_.SetWrapSettings({true, 4, 0}); }
    std::vector<std::string> Logical() const
    {
        std::vector<std::string> out;
        doc_.AssignTo(out);
        return out;
    }
    test::FakeMeasurer measurer_;
    TBvDocument doc_;
};

TEST_F(BvDocument, AddLineReturnsItsFirstRow)
{
    EXPECT_EQ(doc_.AddLine("abcdef"), 0);  // rows 0, 1
    EXPECT_EQ(doc_.AddLine(""), 2);
    EXPECT_EQ(doc_.AddLine("xyz"), 3);
    EXPECT_EQ(doc_.LineCount(), 4);
    EXPECT_EQ(doc_.LogicalLineCount(), 3);
    EXPECT_EQ(doc_.GetLine(1), "ef");
    EXPECT_EQ(doc_.Row(1).piece, 1);
    EXPECT_THROW(doc_.GetLine(4), EBvListError);
}

TEST_F(BvDocument, OperationsWorkOnTheLogicalLineOfARow)
{
    doc_.Assign({"abcdef", "gh", "ijklmn"});  // rows: abcd ef gh ijkl mn
    doc_.PutLine(1, "EFXYZ");                 // replaces the piece "ef"
    EXPECT_EQ(doc_.LogicalText(0), "abcdEFXYZ");
    EXPECT_EQ(doc_.LineCount(), 6);
    doc_.Insert(3, "new");  // row 3 is "gh"
    EXPECT_EQ(Logical(), (std::vector<std::string>{"abcdEFXYZ", "new", "gh", "ijklmn"}));
    doc_.Delete(1);  // second piece of line 0: deletes the whole line
    EXPECT_EQ(Logical(), (std::vector<std::string>{"new", "gh", "ijklmn"}));
    doc_.Exchange(0, 3);  // row 3 = second piece of "ijklmn"
    EXPECT_EQ(Logical(), (std::vector<std::string>{"ijklmn", "gh", "new"}));
    EXPECT_EQ(doc_.IndexOf("gh"), 2);
    EXPECT_EQ(doc_.IndexOf("GH"), -1);
    doc_.Insert(doc_.LineCount(), "end");
    EXPECT_EQ(Logical().back(), "end");
    EXPECT_THROW(doc_.Insert(doc_.LineCount() + 1, "x"), EBvListError);
}

TEST_F(BvDocument, RowsStayConsistentAfterEveryChange)
{
    doc_.Assign({"aaaaaaaaa", "", "bb", "cccccc"});
    doc_.Delete(3);
    doc_.Insert(0, "zzzzz");
    doc_.Exchange(0, doc_.LineCount() - 1);
    int expectedLine = 0;
    for (int i = 0; i < doc_.LineCount(); ++i) {
        const TBvDisplayLine &row = doc_.Row(i);
        if (i > 0 && doc_.Row(i - 1).last)
            ++expectedLine;
        EXPECT_EQ(row.line, expectedLine) << i;
    }
    EXPECT_EQ(expectedLine, doc_.LogicalLineCount() - 1);
}

TEST_F(BvDocument, FindMapsBetweenDisplayAndLogicalPositions)
{
    doc_.Assign({"abcdefgh", "xyzHIT"});
    int row = 0, column = 1;
    ASSERT_TRUE(doc_.Find("gh", row, column));
    EXPECT_EQ(row, 1);  // second piece "efgh"
    EXPECT_EQ(column, 3);
    ++column;
    ASSERT_TRUE(doc_.Find("hit", row, column));
    EXPECT_EQ(row, 2);  // pieces "xyzH" "IT"
    EXPECT_EQ(column, 4);
    row = 2;
    column = 1;
    EXPECT_FALSE(doc_.Find("abc", row, column));
}

TEST_F(BvDocument, PositionsClampToRows)
{
    EXPECT_EQ(doc_.ClampPos({5, 5}), (TBvPos{0, 0}));
    doc_.Assign({"abcdef"});
    EXPECT_EQ(doc_.ClampPos({9, 9}), (TBvPos{3, 1}));
    EXPECT_EQ(doc_.ClampPos({-3, -1}), (TBvPos{0, 0}));
}

}  // namespace
}  // namespace zr
