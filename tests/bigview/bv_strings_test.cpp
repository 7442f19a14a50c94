#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "bigview/bv_strings.h"
#include "test_support/scratch_folder.h"

namespace zr {
namespace {

std::vector<std::string> Lines(const TBvStrings &s)
{
    std::vector<std::string> out;
    s.AssignTo(out);
    return out;
}

using V = std::vector<std::string>;

TEST(BvStrings, AddGrowsByThirtyTwoSlots)
{
    TBvStrings s;
    EXPECT_EQ(s.Add("a"), 0);
    EXPECT_EQ(s.Capacity(), 32);
    for (int i = 1; i < 32; ++i)
        s.Add("x");
    EXPECT_EQ(s.Capacity(), 32);
    EXPECT_EQ(s.Add("y"), 32);
    EXPECT_EQ(s.Capacity(), 64);
}

TEST(BvStrings, IndexErrorsCarryTheListMessage)
{
    TBvStrings s;
    s.Add("a");
    try {
        s.Get(1);
        FAIL() << "no error";
    } catch (const EBvListError &e) {
        EXPECT_STREQ(e.what(), "インデックスがリストの範囲を超えています");
    }
    EXPECT_THROW(s.Get(-1), EBvListError);
    EXPECT_THROW(s.Put(1, "b"), EBvListError);
    EXPECT_THROW(s.Delete(1), EBvListError);
    EXPECT_THROW(s.Exchange(0, 1), EBvListError);
    EXPECT_THROW(s.SetCount(-1), EBvListError);
    EXPECT_THROW(s.SetCount(TBvStrings::MaxListSize + 1), EBvListError);
    EXPECT_THROW(s.SetCapacity(0), EBvListError);  // below the count
    EXPECT_EQ(Lines(s), V{"a"});                   // nothing lost
}

TEST(BvStrings, InsertAtCountAppendsAndPastCountFails)
{
    TBvStrings s;
    s.Add("a");
    s.Insert(1, "b");
    s.Insert(0, "z");
    EXPECT_EQ(Lines(s), (V{"z", "a", "b"}));
    EXPECT_THROW(s.Insert(4, "c"), EBvListError);
}

TEST(BvStrings, DeleteExchangeAndSetCountKeepLinesInOrder)
{
    TBvStrings s;
    s.Assign({"a", "b", "c", "d"});
    s.Delete(1);
    EXPECT_EQ(Lines(s), (V{"a", "c", "d"}));
    s.Exchange(0, 2);
    s.Exchange(1, 1);
    EXPECT_EQ(Lines(s), (V{"d", "c", "a"}));
    s.SetCount(1);
    s.SetCount(3);  // slots freed by the shrink come back empty
    EXPECT_EQ(Lines(s), (V{"d", "", ""}));
    EXPECT_EQ(s.IndexOf("d"), 0);
    EXPECT_EQ(s.IndexOf("D"), -1);
    s.Clear();
    EXPECT_EQ(s.Count(), 0);
    EXPECT_EQ(s.Capacity(), 0);
}

TEST(BvStrings, SetTextLineBreaks)
{
    TBvStrings s;
    s.SetText("a\r\nb\r\n");
    EXPECT_EQ(Lines(s), (V{"a", "b"}));
    s.SetText("a\n\rb");
    EXPECT_EQ(Lines(s), (V{"a", "", "b"}));
    s.SetText("a\r\r\nb");
    EXPECT_EQ(Lines(s), (V{"a", "", "b"}));
    s.SetText(std::string_view("a\nb\0c\nd", 7));  // a zero byte ends the text
    EXPECT_EQ(Lines(s), (V{"a", "b"}));
    EXPECT_EQ(s.Capacity(), 2);
    s.SetText("");
    EXPECT_EQ(s.Count(), 0);
}

TEST(BvStrings, GetTextEndsEveryLineWithCrLf)
{
    TBvStrings s;
    EXPECT_EQ(s.GetText(), "");
    s.Assign({"a", "", "b"});
    EXPECT_EQ(s.GetText(), "a\r\n\r\nb\r\n");
}

TEST(BvStrings, CommaTextRoundTrip)
{
    TBvStrings s;
    s.Assign({"a b", "c"});
    EXPECT_EQ(s.GetCommaText(), "\"a b\",c");
    TBvStrings t;
    t.SetCommaText(s.GetCommaText());
    EXPECT_EQ(Lines(t), (V{"a b", "c"}));

    s.Assign({"x,y", "say \"hi\""});  // quotes inside a line are not doubled
    EXPECT_EQ(s.GetCommaText(), "\"x,y\",\"say \"hi\"\"");
    t.SetCommaText(" a ,b");  // blanks around items stay
    EXPECT_EQ(Lines(t), (V{" a ", "b"}));
    // Text right after a closing quote is an item of its own, not skipped.
    t.SetCommaText("\"a\"b,c");
    EXPECT_EQ(Lines(t), (V{"a", "b", "c"}));
    t.SetCommaText("\"a\",\"b\"");
    EXPECT_EQ(Lines(t), (V{"a", "b"}));
}

TEST(BvStrings, CommaTextGrowsPastItsFirstBuffer)
{
    TBvStrings s;
    for (int i = 0; i < 500; ++i)
        s.Add("item " + std::to_string(i));
    TBvStrings t;
    t.SetCommaText(s.GetCommaText());
    EXPECT_EQ(Lines(t), Lines(s));
}

TEST(BvStrings, FindIgnoresAsciiCase)
{
    TBvStrings s;
    s.Assign({"none", "xAB", "ab ab"});
    int line = 0, column = 0;
    ASSERT_TRUE(s.Find("ab", line, column));
    EXPECT_EQ(line, 1);
    EXPECT_EQ(column, 2);
    column = 3;  // continue after the hit: later lines start at column 1
    ASSERT_TRUE(s.Find("AB", line, column));
    EXPECT_EQ(line, 2);
    EXPECT_EQ(column, 1);
    column = 2;
    ASSERT_TRUE(s.Find("ab", line, column));
    EXPECT_EQ(column, 4);
    column = 5;
    EXPECT_FALSE(s.Find("ab", line, column));
    line = -5;
    column = -1;
    EXPECT_FALSE(s.Find("", line, column));
    EXPECT_TRUE(s.Find("NONE", line, column));
    EXPECT_EQ(line, 0);
}

TEST(BvStrings, FindMatchesFromASecondByte)
{
    TBvStrings s;
    s.Add("\x83\x41");  // CP932 katakana A: its second byte is 'A'
    int line = 0, column = 1;
    ASSERT_TRUE(s.Find("a", line, column));
    EXPECT_EQ(column, 2);
}

class BvStringsFiles : public ::testing::Test {
protected:
    zr::test::ScratchFolder dir_;
};

TEST_F(BvStringsFiles, SaveAndLoadRoundTrip)
{
    TBvStrings s;
    s.Assign({"一行目", "", "line 3"});
    const std::string file = dir_ / "out.txt";
    s.SaveToFile(file);
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes, "一行目\r\n\r\nline 3\r\n");
    TBvStrings t;
    t.LoadFromFile(file);
    EXPECT_EQ(Lines(t), Lines(s));
    EXPECT_EQ(t.Capacity(), 3);
}

TEST_F(BvStringsFiles, LoadKeepsZeroBytesAndMixedBreaks)
{
    const std::string file = dir_ / "in.txt";
    std::ofstream(file, std::ios::binary) << std::string("a\rb\nc\0d\r\n", 9);
    TBvStrings t;
    t.LoadFromFile(file);
    EXPECT_EQ(Lines(t), (V{"a", "b", std::string("c\0d", 3)}));
}

TEST_F(BvStringsFiles, FailedLoadReportsAndKeepsTheLines)
{
    TBvStrings t;
    t.Add("kept");
    EXPECT_THROW(t.LoadFromFile(dir_ / "missing.txt"), EBvInOutError);
    EXPECT_EQ(Lines(t), V{"kept"});
    EXPECT_THROW(t.SaveToFile(dir_ / "no/such/dir.txt"), EBvInOutError);
    EXPECT_THROW(t.LoadFromFile(dir_.Path()), EBvInOutError);  // a folder opens but cannot be read
    EXPECT_EQ(Lines(t), V{"kept"});
}

TEST(BvStrings, StreamsReadFromTheCurrentPosition)
{
    std::istringstream in("skip\r\nx\r\ny");
    in.seekg(6);
    TBvStrings s;
    s.LoadFromStream(in);
    EXPECT_EQ(Lines(s), (V{"x", "y"}));
    std::ostringstream out;
    s.SaveToStream(out);
    EXPECT_EQ(out.str(), "x\r\ny\r\n");
}

}  // namespace
}  // namespace zr
