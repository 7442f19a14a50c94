#include "platform/codepage.h"
#include "platform/mbchar.h"

#include <gtest/gtest.h>

using namespace zr::platform;

TEST(CodePage, RoundTripsJapaneseAndReportsUnconvertible)
{
    const std::string utf8 = "表示テスト ｶﾅ ABC";
    ConversionResult sjis = Utf8ToCp932(utf8);
    ASSERT_TRUE(sjis.ok);
    EXPECT_EQ(sjis.text.substr(0, 2), "\x95\x5C");  // 表: trail byte is a backslash
    ConversionResult back = Cp932ToUtf8(sjis.text);
    ASSERT_TRUE(back.ok);
    EXPECT_EQ(back.text, utf8);

    ConversionResult emoji = Utf8ToCp932("ab\xF0\x9F\x98\x80"
                                         "cd");
    EXPECT_FALSE(emoji.ok);
    EXPECT_EQ(emoji.errorOffset, 2u);
    EXPECT_EQ(emoji.text, "ab");
}

TEST(CodePage, LossyDisplayConversionSurvivesHalfCharacters)
{
    // A cut inside a double-byte character must not lose the rest of the line.
    EXPECT_EQ(Cp932ToUtf8Lossy("A\x95"), "A\xEF\xBF\xBD");
    EXPECT_EQ(Cp932ToUtf8Lossy("\x5C"
                               "B"),
              "\\B");
    EXPECT_EQ(Cp932ToUtf8Lossy("\x95\x5C\xFF"
                               "C"),
              "表\xEF\xBF\xBD"
              "C");

    // Long input, bad bytes throughout, more output than one conversion buffer.
    std::string mixed, expected;
    for (int i = 0; i < 5000; ++i) {
        mixed += "\x95\x5C\xFF";
        expected += "表\xEF\xBF\xBD";
    }
    mixed += "A\x95";
    expected += "A\xEF\xBF\xBD";
    EXPECT_EQ(Cp932ToUtf8Lossy(mixed), expected);
    std::string clean, cleanUtf8;
    for (int i = 0; i < 3000; ++i)
        clean += "\x95\x5C", cleanUtf8 += "表";
    EXPECT_EQ(Cp932ToUtf8Lossy(clean), cleanUtf8);
}

TEST(CodePage, Utf8Validation)
{
    EXPECT_TRUE(IsValidUtf8("plain 表"));
    EXPECT_FALSE(IsValidUtf8("\x95\x5C"));
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));      // overlong
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));  // surrogate
    EXPECT_FALSE(IsValidUtf8("\xE3\x81"));      // truncated
}

TEST(MbChar, LengthsInBothModes)
{
    const std::string sjis = "a\x95\x5C"
                             "b";
    {
        ScopedCodePageMode mode(CodePageMode::Cp932);
        EXPECT_EQ(CharLengthAt(sjis, 0), 1u);
        EXPECT_EQ(CharLengthAt(sjis, 1), 2u);
        EXPECT_TRUE(IsInsideCharAt(sjis, 2));
        EXPECT_FALSE(IsInsideCharAt(sjis, 3));
        EXPECT_EQ(CharLengthAt("\x95", 0), 1u);  // truncated lead byte
    }
    const std::string utf8 = "a表\xF0\x9F\x98\x80";
    EXPECT_EQ(CharLengthAt(utf8, 1), 3u);
    EXPECT_EQ(CharLengthAt(utf8, 4), 4u);
    EXPECT_TRUE(IsInsideCharAt(utf8, 2));
    EXPECT_TRUE(IsInsideCharAt(utf8, 7));
    EXPECT_EQ(CharLengthAt("\xE8\xA1", 0), 1u);  // truncated sequence counts as one byte
    EXPECT_EQ(CharLengthAt(sjis, 1), 1u);        // CP932 bytes are not UTF-8
}
