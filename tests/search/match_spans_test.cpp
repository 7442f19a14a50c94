// The spans of a run's conditions: literal text, the fuzzy table, no text.

#include <gtest/gtest.h>

#include "search/match_spans.h"

namespace zr::search::test {
namespace {

SearchConditions ConditionsFor(const std::string &text, bool regularExpression, bool fuzzy)
{
    SearchConditions c;
    c.searchText = text;
    c.regularExpression = regularExpression;
    c.fuzzy = fuzzy;
    return c;
}

TEST(MatchSpansForTest, TheSwitchesShapeWhatIsMarked)
{
    const auto pattern = MatchSpansFor(ConditionsFor("1.5", true, true));
    ASSERT_TRUE(pattern);
    EXPECT_EQ(pattern->Find("1x5 1.5"), (std::vector<ByteSpan>{{0, 3}, {4, 7}}));
    const auto literal = MatchSpansFor(ConditionsFor("1.5", false, true));
    ASSERT_TRUE(literal);
    EXPECT_EQ(literal->Find("1x5 1.5"), (std::vector<ByteSpan>{{4, 7}}));

    // "ＡＢ" in CP932 is matched by "ab" only through the fuzzy table.
    const std::string fullWidth = "\x82\x60\x82\x61 ab";
    EXPECT_EQ(MatchSpansFor(ConditionsFor("ab", false, true))->Find(fullWidth),
              (std::vector<ByteSpan>{{0, 4}, {5, 7}}));
    EXPECT_EQ(MatchSpansFor(ConditionsFor("ab", false, false))->Find(fullWidth),
              (std::vector<ByteSpan>{{5, 7}}));

    // Nothing to mark: no text, a text CP932 cannot hold, a malformed pattern.
    EXPECT_FALSE(MatchSpansFor(ConditionsFor("*", true, true)));
    EXPECT_FALSE(MatchSpansFor(ConditionsFor("x😀", true, true)));
    EXPECT_FALSE(MatchSpansFor(ConditionsFor("(open", true, true)));
    EXPECT_TRUE(MatchSpansFor(ConditionsFor("(open", false, true)));
}

}  // namespace
}  // namespace zr::search::test
