#include "regex/dfa.h"

#include <gtest/gtest.h>

#include "dfa_test_util.h"

namespace zr::regex {
namespace {

using testing::Accepts;
using testing::AcceptsPattern;
using testing::CompileForTest;

std::vector<CharCode> Codes(const std::string &text)
{
    std::vector<CharCode> out;
    std::size_t i = 1;
    while (i <= text.size())
        out.push_back(ReadChar(text, i));
    return out;
}

TEST(DfaTest, LiteralDetection)
{
    auto same = CompileForTest("ab|ab");
    EXPECT_TRUE(same.dfa->IsLiteral());
    EXPECT_EQ(same.dfa->LiteralText(), "ab");
    EXPECT_EQ(same.dfa->StateCount(), CompileForTest("ab").dfa->StateCount());
    EXPECT_EQ(CompileForTest("a\x82\xa0\\.").dfa->LiteralText(), "a\x82\xa0.");
    auto empty = CompileForTest("");
    EXPECT_TRUE(empty.dfa->IsLiteral());
    EXPECT_EQ(empty.dfa->LiteralText(), "");
    EXPECT_EQ(CompileForTest("^abc$").dfa->LiteralText(), "\nabc\n");
    for (const char *pattern : {"a|b", "ab*", "[ab]", "a?", "a."})
        EXPECT_FALSE(CompileForTest(pattern).dfa->IsLiteral()) << pattern;
    // A start state that accepts and still has a way on is never a literal.
    auto star = CompileForTest("a*");
    const DfaState &start = star.dfa->State(star.dfa->Start());
    EXPECT_TRUE(start.accepting);
    ASSERT_EQ(start.transitions.size(), 1u);
    EXPECT_EQ(start.transitions[0].low, 'a');
    EXPECT_EQ(start.transitions[0].high, 'a');
    EXPECT_FALSE(star.dfa->IsLiteral());
    auto group = CompileForTest("(ab)*");
    EXPECT_TRUE(group.dfa->Accepting(group.dfa->Start()));
    EXPECT_FALSE(group.dfa->IsLiteral());
}

TEST(DfaTest, CodesThatDoNotReadBackAreNeverLiteral)
{
    // 0x4142 would be written as "B"; 0x82 then 0xA0 would read back as one character.
    for (const char *pattern : {"\\x4142", "\\x82\\xa0", "a\\0"}) {
        auto c = CompileForTest(pattern);
        EXPECT_FALSE(c.dfa->IsLiteral()) << pattern;
    }
    EXPECT_FALSE(AcceptsPattern("\\x4142", {'B'}));
    EXPECT_TRUE(AcceptsPattern("\\x82\\xa0", {0x82, 0xA0}));
    EXPECT_FALSE(AcceptsPattern("\\x82\\xa0", {0x82A0}));
}

TEST(DfaTest, AnchorsOnlyAtTheEndsOfAWholeAlternative)
{
    EXPECT_TRUE(AcceptsPattern("^a|b$", {10, 'a'}));
    EXPECT_TRUE(AcceptsPattern("^a|b$", {'b', 10}));
    EXPECT_FALSE(AcceptsPattern("^a|b$", {'a'}));
    EXPECT_TRUE(AcceptsPattern("(^a)", {10, 'a'}));
    EXPECT_TRUE(AcceptsPattern("a$|b", {'a', 10}));
    // Elsewhere they are the characters themselves.
    EXPECT_TRUE(AcceptsPattern("a^b", Codes("a^b")));
    EXPECT_TRUE(AcceptsPattern("a*^b", Codes("aa^b")));
    EXPECT_TRUE(AcceptsPattern("a$b", Codes("a$b")));
    EXPECT_TRUE(AcceptsPattern("^*", Codes("^^")));
    EXPECT_FALSE(AcceptsPattern("^*", {10}));
    // The plain component's own line codes.
    auto plain = CompileForTest("^a$", 0xFFFD, 0xFFFE);
    EXPECT_TRUE(Accepts(*plain.dfa, {0xFFFD, 'a', 0xFFFE}));
}

TEST(DfaTest, OverlapWithALineCodeTakesTheFirstSortedRange)
{
    auto c = CompileForTest("^a|[\\x01-\\x7f]b");
    const auto &start = c.dfa->State(c.dfa->Start());
    // The class is cut around "a" and "b"; its first piece still holds code 10.
    ASSERT_EQ(start.transitions.size(), 5u);
    EXPECT_EQ(start.transitions[0].low, 0x01);
    EXPECT_EQ(start.transitions[0].high, 0x60);
    EXPECT_EQ(start.transitions[1].low, 10);
    EXPECT_EQ(start.transitions[1].high, 10);
    EXPECT_FALSE(Accepts(*c.dfa, {10, 'a'}));
    EXPECT_TRUE(Accepts(*c.dfa, {10, 'b'}));
}

TEST(DfaTest, EmptyTransitionsAreNotTheCharacterFFFF)
{
    EXPECT_FALSE(AcceptsPattern("a\\xffffb", Codes("ab")));
    EXPECT_TRUE(AcceptsPattern("a\\xffffb", {'a', 0xFFFF, 'b'}));
}

// The lookup table must answer exactly like the walk over sorted transitions.
TEST(DfaTest, TableLookupAgreesWithTheTransitionWalk)
{
    for (const char *pattern :
         {"^a|[\\x01-\\x7f]b", "[^a-c\x82\xa0]x|.y$", "(a|\x88\x9f)*[\\0-\\x20]+", "[\\^-z]^|^q"}) {
        auto c = CompileForTest(pattern);
        for (std::size_t s = 0; s < c.dfa->StateCount(); ++s)
            for (unsigned code = 0; code <= 0xFFFF; ++code)
                ASSERT_EQ(c.dfa->Next(int(s), CharCode(code)), c.dfa->Transition(int(s), CharCode(code)))
                    << pattern << " state " << s << " code " << code;
    }
}

TEST(DfaCapTest, ExplodingPatternsAreRefusedWithAClearMessage)
{
    std::string exploding = "(a|b)*a";
    for (int i = 0; i < 20; ++i)
        exploding += "(a|b)";
    std::string nestedPlus = "a";
    for (int i = 0; i < 30; ++i)
        nestedPlus = "(" + nestedPlus + ")+";
    // Thousands of staggered ranges: making them disjoint is refused as well.
    std::string ranges = "[";
    for (int i = 0; i < 2000; ++i)
        ranges += "\\x" + std::to_string(1000 + i * 3) + "-\\x" + std::to_string(4000 + i * 3);
    ranges += "]";
    for (const std::string &pattern : {exploding, nestedPlus, ranges}) {
        try {
            CompileForTest(pattern);
            ADD_FAILURE() << "compiled " << pattern;
        } catch (const ERegExpParser &e) {
            EXPECT_STREQ(e.what(), msg::kTooComplex);
            EXPECT_EQ(e.Position(), 0u);
        }
    }
}

TEST(DfaCapTest, LargeButRealisticPatternsCompile)
{
    std::string pattern = "(a|b)*a";
    for (int i = 0; i < 8; ++i)
        pattern += "(a|b)";
    auto c = CompileForTest(pattern);
    EXPECT_EQ(c.dfa->StateCount(), 512u + 1);  // the classic 2^(n+1) subsets, plus the start
    EXPECT_TRUE(Accepts(*c.dfa, Codes("bba" + std::string(8, 'b'))));
}

}  // namespace
}  // namespace zr::regex
