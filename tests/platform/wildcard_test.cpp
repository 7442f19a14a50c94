#include "platform/mbchar.h"
#include "platform/wildcard.h"

#include <gtest/gtest.h>

#include <string>

using namespace zr::platform;

namespace {

// Rules that do not depend on the code page hold in both modes.
class WildcardBothModes : public ::testing::TestWithParam<CodePageMode> {
protected:
    ScopedCodePageMode mode_{GetParam()};
};

}  // namespace

TEST_P(WildcardBothModes, StarsQuestionMarksAndLiterals)
{
    EXPECT_TRUE(WildcardMatch("abc", "a?c"));
    EXPECT_FALSE(WildcardMatch("ac", "a?c"));
    EXPECT_TRUE(WildcardMatch("", ""));
    EXPECT_TRUE(WildcardMatch("anything", ""));
    EXPECT_TRUE(WildcardMatch("", "*"));
    EXPECT_FALSE(WildcardMatch("", "?"));
    EXPECT_TRUE(WildcardMatch("xxabcxx", "*abc*"));
    EXPECT_FALSE(WildcardMatch("xxabxcx", "*abc*"));
    EXPECT_TRUE(WildcardMatch("xxaxxbxx", "*a*b*"));
    EXPECT_FALSE(WildcardMatch("xxaxxbxxc", "*a*b"));
    EXPECT_FALSE(WildcardMatch("abc", "ab"));
    EXPECT_FALSE(WildcardMatch("ab", "abc"));
    EXPECT_TRUE(WildcardMatch("a*b", "a*b"));  // no escape: "*" in the text is just text
    EXPECT_FALSE(WildcardMatch("ABC", "abc"));
    EXPECT_TRUE(WildcardMatch("ABC", "abc", LetterCase::IgnoreAscii));
    EXPECT_TRUE(WildcardMatch("abc", "A?C", LetterCase::IgnoreAscii));
}

TEST_P(WildcardBothModes, ManyStarsOnLongTextsStayTractable)
{
    const std::string text(20000, 'a');
    EXPECT_FALSE(WildcardMatch(text, "*a*a*a*a*a*a*a*a*b*"));
    EXPECT_TRUE(WildcardMatch(text + "b", "*a*a*a*a*a*a*a*a*b*"));
}

TEST_P(WildcardBothModes, WindowsNameRules)
{
    EXPECT_TRUE(MatchesNamePattern("README", "*.*"));
    EXPECT_TRUE(MatchesNamePattern("a.b.c", "*.*"));
    EXPECT_TRUE(MatchesNamePattern("arc.lzh", "*.LZH"));
    EXPECT_TRUE(MatchesNamePattern("ARC.LZH", "arc.lzh"));
    EXPECT_TRUE(MatchesNamePattern("foo", "foo.*"));
    EXPECT_FALSE(MatchesNamePattern("a.zip.bak", "*.zip"));
    EXPECT_FALSE(MatchesNamePattern("ba", "a*"));
    EXPECT_FALSE(MatchesNamePattern("name", ""));
    EXPECT_FALSE(MatchesNamePattern("name", ".*"));
}

INSTANTIATE_TEST_SUITE_P(CodePages, WildcardBothModes,
                         ::testing::Values(CodePageMode::Utf8, CodePageMode::Cp932), [](const auto &info) {
                             return info.param == CodePageMode::Utf8 ? "Utf8" : "Cp932";
                         });

TEST(WildcardUtf8, QuestionMarkIsOneCharacter)
{
    ScopedCodePageMode utf8(CodePageMode::Utf8);
    EXPECT_TRUE(WildcardMatch("\xE3\x81\x82.txt", "?.txt"));  // あ
    EXPECT_FALSE(WildcardMatch("\xE3\x81\x82.txt", "???.txt"));
    EXPECT_TRUE(WildcardMatch("x\xF0\x9F\x98\x80y", "x?y"));  // four-byte character
    EXPECT_TRUE(MatchesNamePattern("\xE3\x81\x82.zip", "?.ZIP"));
    // Only ASCII letters fold: full-width Ａ and ａ stay apart.
    EXPECT_FALSE(MatchesNamePattern("\xEF\xBC\xA1.zip", "\xEF\xBD\x81.zip"));
    // A broken sequence counts byte by byte and still matches itself.
    EXPECT_TRUE(WildcardMatch("\xE3\x81", "??"));
    EXPECT_TRUE(WildcardMatch("\xE3\x81", "\xE3\x81"));
}

TEST(WildcardCp932, QuestionMarkIsOneCharacterAndNeverSplitsOne)
{
    ScopedCodePageMode cp932(CodePageMode::Cp932);
    EXPECT_TRUE(WildcardMatch("\x82\xA0.txt", "?.txt"));  // あ
    EXPECT_FALSE(WildcardMatch("\x82\xA0.txt", "??.txt"));
    EXPECT_TRUE(MatchesNamePattern("\x83\x5C.lzh", "?.LZH"));  // ソ, trail byte '\'
    // A star never ends between a lead byte and its trail byte: "*\" must
    // not match ソ, whose trail byte is a backslash.
    EXPECT_FALSE(WildcardMatch("\x83\x5C", "*\\"));
    EXPECT_TRUE(WildcardMatch("a\\\x83\x5C", "*\\*"));
    // The trail byte is no letter, even when it looks like one.
    EXPECT_FALSE(MatchesNamePattern("\x83\x61", "\x83\x41"));
    EXPECT_FALSE(WildcardMatch("\x83\x61", "\x83\x41", LetterCase::IgnoreAscii));
    // A lone lead byte at the end is one byte.
    EXPECT_TRUE(WildcardMatch("ab\x83", "ab?"));
}
