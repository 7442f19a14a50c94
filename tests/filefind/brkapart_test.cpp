#include "filefind/brkapart.h"

#include <gtest/gtest.h>

using zr::TBrkApart;
using List = std::vector<std::string>;

namespace {
List SplitOf(const std::string &text, bool allowEmpty, const std::string &separator = ";")
{
    TBrkApart splitter;
    splitter.BreakString = separator;
    splitter.AllowEmptyString = allowEmpty;
    splitter.BaseString = text;
    splitter.Split();
    return splitter.StringList();
}

std::string JoinOf(const List &list, bool allowEmpty)
{
    TBrkApart joiner;
    joiner.BreakString = ";";
    joiner.AllowEmptyString = allowEmpty;
    joiner.SetStringList(list);
    joiner.Join();
    return joiner.BaseString;
}
}  // namespace

TEST(TBrkApart, SplitDropsEmptyPiecesUnlessAllowed)
{
    EXPECT_EQ(SplitOf("a;;b", false), (List{"a", "b"}));
    EXPECT_EQ(SplitOf("a;;b", true), (List{"a", "", "b"}));
    EXPECT_EQ(SplitOf("", false), List{});
    EXPECT_EQ(SplitOf("", true), List{""});
    EXPECT_EQ(SplitOf("a;", false), List{"a"});
    EXPECT_EQ(SplitOf("a;", true), (List{"a", ""}));
    EXPECT_EQ(SplitOf(" a ; b", false), (List{" a ", " b"}));  // no trimming
}

TEST(TBrkApart, SplitWithLongOrEmptySeparator)
{
    EXPECT_EQ(SplitOf("a::b:c", false, "::"), (List{"a", "b:c"}));
    EXPECT_EQ(SplitOf("a;b", false, ""), List{"a;b"});
}

TEST(TBrkApart, JoinKeepsTheFirstItemEvenWhenEmpty)
{
    EXPECT_EQ(JoinOf({}, false), "");
    EXPECT_EQ(JoinOf({"", "a", "", "b"}, false), ";a;b");
    EXPECT_EQ(JoinOf({"", "a", "", "b"}, true), ";a;;b");
    EXPECT_EQ(JoinOf({"*.LZH", "*.ZIP"}, false), "*.LZH;*.ZIP");
}
