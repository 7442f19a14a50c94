#include "regex/parser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <utility>

#include "dfa_test_util.h"

namespace zr::regex {
namespace {

using testing::AcceptsPattern;
using testing::CompileForTest;

TREParseNode *ParseRoot(TREParser &parser)
{
    parser.Parse();
    return parser.Tree().Root();
}

std::pair<std::string, std::size_t> ParseError(const std::string &pattern)
{
    try {
        TREParser(pattern).Parse();
    } catch (const ERegExpParser &e) {
        return {e.what(), e.Position()};
    }
    return {"no error", 0};
}

std::set<std::pair<int, int>> LeafRanges(const TREParseTree &tree)
{
    std::set<std::pair<int, int>> out;
    for (const TREParseNode *leaf : tree.Leaves())
        out.emplace(leaf->low, leaf->high);
    return out;
}

TEST(ParserTest, EmptyAlternativesAndGroups)
{
    TREParser empty("");
    EXPECT_EQ(ParseRoot(empty)->op, opEmpty);
    TREParser group("()");
    EXPECT_EQ(ParseRoot(group)->op, opEmpty);
    TREParser alt("|a");
    const TREParseNode *root = ParseRoot(alt);
    ASSERT_EQ(root->op, opUnion);
    EXPECT_EQ(root->left->op, opEmpty);
    EXPECT_EQ(root->right->op, opLeaf);
    EXPECT_EQ(root->right->low, 'a');
}

TEST(ParserTest, PlusSharesOneLeafForBothOccurrences)
{
    TREParser parser("a+");
    const TREParseNode *root = ParseRoot(parser);
    ASSERT_EQ(root->op, opConcat);
    ASSERT_EQ(root->right->op, opStar);
    EXPECT_EQ(root->left, root->right->left);
    EXPECT_EQ(parser.Tree().Leaves().size(), 1u);
    // Repeated characters share their leaf too.
    TREParser repeated("abab");
    repeated.Parse();
    EXPECT_EQ(repeated.Tree().Leaves().size(), 2u);
}

TEST(ParserTest, SyntaxErrorsWithPositions)
{
    using E = std::pair<std::string, std::size_t>;
    EXPECT_EQ(ParseError("a**"), E(msg::kNeedCharOrLParen, 4));
    EXPECT_EQ(ParseError("*a"), E(msg::kNeedCharOrLParen, 2));
    EXPECT_EQ(ParseError("a]"), E(msg::kNeedCharOrLParen, 3));
    EXPECT_EQ(ParseError(")"), E(msg::kExtraText, 2));
    EXPECT_EQ(ParseError("ab)c"), E(msg::kExtraText, 4));
    EXPECT_EQ(ParseError("(a"), E(msg::kNeedRightParen, 3));
    EXPECT_EQ(ParseError("((a)"), E(msg::kNeedRightParen, 5));
    EXPECT_EQ(ParseError("[]"), E(msg::kEmptyClass, 3));
    EXPECT_EQ(ParseError("x[^]"), E(msg::kEmptyClass, 5));
    EXPECT_EQ(ParseError("[a"), E(msg::kNeedRightBracket, 3));
    EXPECT_EQ(ParseError("ab\\"), E(msg::kBackslashNeedsChar, 4));
}

TEST(ParserTest, DeepNestingIsRefusedNotOverflowed)
{
    const int depth = kMaxGroupNesting + 1;
    const std::string deep = std::string(depth, '(') + "a" + std::string(depth, ')');
    EXPECT_EQ(ParseError(deep).first, msg::kNestedTooDeep);
    const std::string fine = std::string(100, '(') + "a" + std::string(100, ')');
    EXPECT_TRUE(AcceptsPattern(fine, {'a'}));
    // Long flat patterns build deep trees; compiling them must not recurse per node.
    EXPECT_TRUE(AcceptsPattern(std::string(20000, 'a'), std::vector<CharCode>(20000, 'a')));
}

TEST(MakeDisjointTest, StaggeredRangesBecomeThreePieces)
{
    TREParser parser("[a-cb-d]");
    parser.Parse();
    EXPECT_EQ(LeafRanges(parser.Tree()), (std::set<std::pair<int, int>>{{'a', 'a'}, {'b', 'c'}, {'d', 'd'}}));
    for (CharCode c : {'a', 'b', 'c', 'd'})
        EXPECT_TRUE(AcceptsPattern("[a-cb-d]", {c})) << char(c);
    EXPECT_FALSE(AcceptsPattern("[a-cb-d]", {'e'}));
}

TEST(MakeDisjointTest, NestedAndSharedEndsKeepEveryReference)
{
    // "c" inside a-e, and "a-b" sharing the low end with a-e.
    TREParser parser("[a-ec]x|a[a-b]");
    parser.Parse();
    EXPECT_EQ(LeafRanges(parser.Tree()),
              (std::set<std::pair<int, int>>{{'a', 'a'}, {'b', 'b'}, {'c', 'c'}, {'d', 'e'}, {'x', 'x'}}));
    EXPECT_TRUE(AcceptsPattern("[a-ec]x|a[a-b]", {'e', 'x'}));
    EXPECT_TRUE(AcceptsPattern("[a-ec]x|a[a-b]", {'c', 'x'}));
    EXPECT_TRUE(AcceptsPattern("[a-ec]x|a[a-b]", {'a', 'b'}));
    EXPECT_FALSE(AcceptsPattern("[a-ec]x|a[a-b]", {'a', 'c'}));
}

TEST(MakeDisjointTest, RangesMixingSingleAndDoubleBytes)
{
    // 0x41..0x82A0 overlaps 0x8260..0x829F (full-width letters) and the hiragana range.
    const std::string pattern = "[A-\x82\xa0][\x82\x60-\x82\xa2]";
    EXPECT_TRUE(AcceptsPattern(pattern, {'Z', 0x8260}));
    EXPECT_TRUE(AcceptsPattern(pattern, {0x82A0, 0x82A2}));
    EXPECT_FALSE(AcceptsPattern(pattern, {0x82A1, 0x82A3}));
    EXPECT_FALSE(AcceptsPattern(pattern, {'@', 0x8260}));
}

// Random classes: after make-disjoint the leaves never partly overlap, and the
// class still accepts exactly the union of its ranges.
TEST(MakeDisjointTest, RandomClassesKeepTheirMeaning)
{
    std::mt19937 rng(7);
    for (int round = 0; round < 200; ++round) {
        std::vector<std::pair<int, int>> ranges;
        std::string pattern = "[";
        const int count = 1 + int(rng() % 5);
        for (int i = 0; i < count; ++i) {
            int lo = 'a' + int(rng() % 20), hi = lo + int(rng() % 6);
            ranges.emplace_back(lo, hi);
            pattern += char(lo);
            pattern += '-';
            pattern += char(hi);
        }
        pattern += "]";
        auto compiled = CompileForTest(pattern);
        const auto &leaves = compiled.parser->Tree().Leaves();
        for (const auto *x : leaves)
            for (const auto *y : leaves)
                if (x != y) {
                    EXPECT_TRUE(x->high < y->low || y->high < x->low) << pattern;
                }
        for (int c = 'a' - 1; c <= 'z' + 6; ++c) {
            const bool inside = std::any_of(ranges.begin(), ranges.end(),
                                            [c](auto r) { return c >= r.first && c <= r.second; });
            EXPECT_EQ(testing::Accepts(*compiled.dfa, {CharCode(c)}), inside) << pattern << " " << c;
        }
    }
}

TEST(NegatedClassTest, NeverMatchesLineBreaksOrCodeZero)
{
    for (const std::string pattern : {"[^a]", "[^\\n]", "[^\\r\\n]", "[^\\0]", "[^\x82\xa0-\x82\xa2z]"}) {
        for (CharCode c : {CharCode(0), CharCode(10), CharCode(13)})
            EXPECT_FALSE(AcceptsPattern(pattern, {c})) << pattern << " " << c;
        EXPECT_TRUE(AcceptsPattern(pattern, {'b'})) << pattern;
        EXPECT_TRUE(AcceptsPattern(pattern, {0x889F})) << pattern;
    }
    EXPECT_FALSE(AcceptsPattern("[^a]", {'a'}));
    EXPECT_FALSE(AcceptsPattern("[^\x82\xa0-\x82\xa2z]", {0x82A1}));
    EXPECT_TRUE(AcceptsPattern("[^\x82\xa0-\x82\xa2z]", {0x82A3}));
}

TEST(NegatedClassTest, RemovesWholePiecesOfTheAnyCharacterSet)
{
    TREParser parser("[^\\x0b\\x0c]");
    parser.Parse();
    EXPECT_EQ(LeafRanges(parser.Tree()), (std::set<std::pair<int, int>>{{0x01, 0x09}, {0x0E, 0xFCFC}}));
    TREParser small("[^\\x01-\\x09]");
    small.Parse();
    EXPECT_EQ(LeafRanges(small.Tree()), (std::set<std::pair<int, int>>{{0x0B, 0x0C}, {0x0E, 0xFCFC}}));
    // Excluding everything leaves a class that matches nothing, yet still parses.
    const std::string all = "[^\\x01-\\x09\\x0b\\x0c\\x0e-\\xfcfc]";
    for (CharCode c : {CharCode(1), CharCode('a'), CharCode(0xFCFC)})
        EXPECT_FALSE(AcceptsPattern(all, {c}));
    EXPECT_TRUE(AcceptsPattern(all + "|b", {'b'}));
}

}  // namespace
}  // namespace zr::regex
