#include "filefind/wildcard_match.h"
#include "platform/mbchar.h"

#include <gtest/gtest.h>

using namespace zr;
using zr::platform::CodePageMode;
using zr::platform::ScopedCodePageMode;

TEST(WildcardMatch, BytewiseStarsAndQuestionMarks)
{
    EXPECT_TRUE(WildcardMatch("abc", "a?c"));
    EXPECT_FALSE(WildcardMatch("a\x82\xA0" "c", "a?c"));  // a double-byte character is two positions
    EXPECT_TRUE(WildcardMatch("a\x82\xA0" "c", "a??c"));
    EXPECT_TRUE(WildcardMatch("", ""));
    EXPECT_TRUE(WildcardMatch("anything", ""));
    EXPECT_TRUE(WildcardMatch("", "*"));
    EXPECT_TRUE(WildcardMatch("xxabcxx", "*abc*"));
    EXPECT_FALSE(WildcardMatch("xxabxcx", "*abc*"));
    EXPECT_FALSE(WildcardMatch("abc", "ab"));
    EXPECT_FALSE(WildcardMatch("ab", "abc"));
    EXPECT_TRUE(WildcardMatch("a*b", "a*b"));  // no escape: "*" in the text is just text
    EXPECT_FALSE(WildcardMatch("ABC", "abc"));
}

TEST(WildcardMatch, ManyStarsOnLongTextsStayTractable)
{
    const std::string text(20000, 'a');
    EXPECT_FALSE(WildcardMatch(text, "*a*a*a*a*a*a*a*a*b*"));
    EXPECT_TRUE(WildcardMatch(text + "b", "*a*a*a*a*a*a*a*a*b*"));
}

TEST(MatchesNamePattern, WindowsNameRules)
{
    ScopedCodePageMode utf8(CodePageMode::Utf8);
    EXPECT_TRUE(MatchesNamePattern("README", "*.*"));
    EXPECT_TRUE(MatchesNamePattern("a.b.c", "*.*"));
    EXPECT_TRUE(MatchesNamePattern("arc.lzh", "*.LZH"));
    EXPECT_TRUE(MatchesNamePattern("ARC.LZH", "arc.lzh"));
    EXPECT_TRUE(MatchesNamePattern("foo", "foo.*"));
    EXPECT_FALSE(MatchesNamePattern("a.zip.bak", "*.zip"));
    EXPECT_FALSE(MatchesNamePattern("ba", "a*"));
    EXPECT_TRUE(MatchesNamePattern("あ.zip", "?.zip"));  // one character, not one byte
    EXPECT_FALSE(MatchesNamePattern("Ａ.zip", "ａ.zip"));  // only ASCII letters fold
}

TEST(MatchesNamePattern, Cp932CharactersAreOneUnit)
{
    ScopedCodePageMode cp932(CodePageMode::Cp932);
    EXPECT_TRUE(MatchesNamePattern("\x83\x5C.lzh", "?.LZH"));
    EXPECT_FALSE(MatchesNamePattern("\x83\x61", "\x83\x41"));  // the trail byte is no letter
}
