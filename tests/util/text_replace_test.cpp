#include "platform/mbchar.h"
#include "util/text_replace.h"

#include <gtest/gtest.h>

using namespace zr;

TEST(SplitAtChar, KeepsInnerEmptyPiecesAndAppends)
{
    std::vector<std::string> list{"old"};
    EXPECT_EQ(SplitAtChar("a;;b;", ';', list), 4u);
    EXPECT_EQ(list, (std::vector<std::string>{"old", "a", "", "b"}));

    std::vector<std::string> empty;
    EXPECT_EQ(SplitAtChar("", ';', empty), 0u);
    EXPECT_EQ(SplitAtChar(";", ';', empty), 1u);
    EXPECT_EQ(empty, std::vector<std::string>{""});
}

TEST(ReplaceTextAll, FirstOrAllOccurrences)
{
    EXPECT_EQ(ReplaceTextAll("a;b;c", ";", " ", rfReplaceAll), "a b c");
    EXPECT_EQ(ReplaceTextAll("a;b;c", ";", " ", rfNone), "a b;c");
    EXPECT_EQ(ReplaceTextAll("aaa", "aa", "b", rfReplaceAll), "ba");  // non-overlapping
    EXPECT_EQ(ReplaceTextAll("x*y", "*", "@", rfReplaceAll | rfIgnoreCase), "x@y");
    EXPECT_EQ(ReplaceTextAll("*.Lzh;*.lzh", "LZH", "arc", rfReplaceAll | rfIgnoreCase), "*.arc;*.arc");
    EXPECT_EQ(ReplaceTextAll("abc", "", "x", rfReplaceAll), "abc");
}

TEST(ReplaceTextAll, MatchesOnCharacterBoundariesOnly)
{
    zr::platform::ScopedCodePageMode cp932(zr::platform::CodePageMode::Cp932);
    const std::string so = "\x83\x5C";
    EXPECT_EQ(ReplaceTextAll(so + "\\", "\\", "/", rfReplaceAll), so + "/");
    EXPECT_EQ(ReplaceChars("a:b*c?\"" + so, "\\/:*?<>|\"", "_"), "a_b_c__" + so);
    // 0x83 0x61 and 0x83 0x41 are two different characters, not two cases of one.
    EXPECT_EQ(ReplaceTextAll("\x83\x61", "\x83\x41", "x", rfReplaceAll | rfIgnoreCase), "\x83\x61");
}
