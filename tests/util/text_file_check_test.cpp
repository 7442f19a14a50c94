#include "test_support/scratch_folder.h"
#include "util/text_file_check.h"

#include <gtest/gtest.h>

using namespace zr;
using zr::test::ScratchFolder;

TEST(IsTextFile, AcceptsCp932AndUtf8Text)
{
    ScratchFolder dir;
    EXPECT_TRUE(IsTextFile(dir.Write("ascii.txt", "[Condition]\r\nChar=abc\r\n\tx")));
    EXPECT_TRUE(IsTextFile(dir.Write("sjis.txt", "\x82\xA0\x82\xA2 \xB1\xB2 \x95\x5C")));
    EXPECT_TRUE(IsTextFile(dir.Write("utf8.ZrSrh", "[Condition]\nChar=検索文字\n")));
}

TEST(IsTextFile, CharacterCutByTheFiftyByteLimitIsAccepted)
{
    ScratchFolder dir;
    EXPECT_TRUE(IsTextFile(dir.Write("sjis-cut.txt", std::string(49, 'a') + "\x82\xA0" + "tail")));
    // "à" is no CP932 text, so this head passes as UTF-8 or not at all.
    EXPECT_TRUE(IsTextFile(dir.Write("utf8-cut.txt", "à" + std::string(46, 'a') + "あ" + "tail")));
    // Only the head is examined.
    EXPECT_TRUE(IsTextFile(dir.Write("late-binary.txt", std::string(50, 'a') + std::string(10, '\0'))));
}

TEST(IsTextFile, RejectsEmptyMissingAndBinary)
{
    ScratchFolder dir;
    EXPECT_FALSE(IsTextFile(dir.Write("empty.txt")));
    EXPECT_FALSE(IsTextFile(dir / "missing.txt"));
    EXPECT_FALSE(IsTextFile(dir.Path()));
    EXPECT_FALSE(IsTextFile(dir.Write("zeros.bin", std::string(20, '\0'))));
    EXPECT_FALSE(IsTextFile(dir.Write("ctl.txt", "abc\x01")));
    EXPECT_FALSE(IsTextFile(dir.Write("bad.txt", "\xFF\xFE"
                                                 "a")));
    EXPECT_FALSE(LooksLikeSjisText("\x82\x20"));  // 0x20 cannot be a trail byte
    EXPECT_TRUE(LooksLikeSjisText("ab\x82"));     // a lead byte at the end is accepted
}
