#include "regex/scanner.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace zr::regex {
namespace {

// CP932 bytes: "あ" 0x82A0, "表" 0x955C (trail byte is a backslash).
const std::string kA = "\x82\xa0";
const std::string kHyo = "\x95\x5c";

struct Tok {
    TokenKind kind;
    CharCode code;
    CharCode rangeEnd;
    bool operator==(const Tok &) const = default;
};

std::vector<Tok> Scan(const std::string &pattern)
{
    TREScanner scanner(pattern);
    std::vector<Tok> out;
    while (scanner.NextToken() != tkEnd)
        out.push_back(
            {scanner.Kind(), scanner.Code(), scanner.Kind() == tkRange ? scanner.RangeEnd() : CharCode(0)});
    return out;
}

// Runs the scanner to the end and returns the error's message and position.
std::pair<std::string, std::size_t> ScanError(const std::string &pattern)
{
    try {
        Scan(pattern);
    } catch (const ERegExpParser &e) {
        return {e.what(), e.Position()};
    }
    return {"no error", 0};
}

TEST(ReadCharTest, ReadsSingleAndDoubleBytesAndStopsOutside)
{
    const std::string p = "a" + kA + "b";
    std::size_t i = 0;
    EXPECT_EQ(ReadChar(p, i), 0);
    EXPECT_EQ(i, 0u);
    i = 1;
    EXPECT_EQ(ReadChar(p, i), 'a');
    EXPECT_EQ(ReadChar(p, i), 0x82A0);
    EXPECT_EQ(i, 4u);
    EXPECT_EQ(ReadChar(p, i), 'b');
    EXPECT_EQ(ReadChar(p, i), 0);
    EXPECT_EQ(i, 5u);
}

TEST(StepBackTest, StepsOverWholeDoubleByteCharacters)
{
    // Half-width kana 0xB1 is not a lead byte; 0x95 0x5C is one character.
    const std::string p = kHyo + kHyo + "\xb1" + kA;
    std::size_t i = p.size() + 1;
    StepBack(p, i);
    EXPECT_EQ(i, 6u);  // before "あ"
    StepBack(p, i);
    EXPECT_EQ(i, 5u);  // before the half-width kana
    StepBack(p, i);
    EXPECT_EQ(i, 3u);
    StepBack(p, i);
    EXPECT_EQ(i, 1u);
    StepBack(p, i);
    EXPECT_EQ(i, 1u);
    // A run of lead-byte values pairs up from its start: 0x81 0x81 is one
    // character, so the byte before index 4 ("x") is a single byte.
    const std::string run = "\x81\x81x";
    std::size_t j = 4;
    StepBack(run, j);
    EXPECT_EQ(j, 3u);
    StepBack(run, j);
    EXPECT_EQ(j, 1u);
}

TEST(QuoteMetaTest, EscapesMetacharactersButNotTrailBytes)
{
    EXPECT_EQ(QuoteMeta("a.b*(c)|^$[]\\?+"), "a\\.b\\*\\(c\\)\\|\\^\\$\\[\\]\\\\\\?\\+");
    EXPECT_EQ(QuoteMeta(kHyo + "."), kHyo + "\\.");
    EXPECT_EQ(QuoteMeta(""), "");
    EXPECT_EQ(CharToStr(0x0041), "A");
}

TEST(ScannerTest, EscapesDecodeToOrdinaryCharacters)
{
    EXPECT_EQ(Scan("a|(\\|"),
              (std::vector<Tok>{{tkChar, 'a', 0}, {tkUnion, '|', 0}, {tkLParen, '(', 0}, {tkChar, '|', 0}}));
    const std::vector<Tok> expected = {
        {tkChar, 8, 0},   {tkChar, 10, 0},   {tkChar, 13, 0},     {tkChar, 9, 0},
        {tkChar, '*', 0}, {tkChar, '\\', 0}, {tkChar, 0x955C, 0},
    };
    EXPECT_EQ(Scan("\\b\\n\\r\\t\\*\\\\\\" + kHyo), expected);
}

TEST(ScannerTest, HexEscapesTakeAtMostFourDigits)
{
    EXPECT_EQ(Scan("\\x41"), (std::vector<Tok>{{tkChar, 'A', 0}}));
    EXPECT_EQ(Scan("\\x82A0"), (std::vector<Tok>{{tkChar, 0x82A0, 0}}));
    EXPECT_EQ(Scan("\\x00411"), (std::vector<Tok>{{tkChar, 'A', 0}, {tkChar, '1', 0}}));
    EXPECT_EQ(Scan("\\x4g"), (std::vector<Tok>{{tkChar, 4, 0}, {tkChar, 'g', 0}}));
    EXPECT_EQ(Scan("\\x0"), (std::vector<Tok>{{tkChar, 0, 0}}));
}

TEST(ScannerTest, OctalEscapesTakeAtMostSixDigits)
{
    EXPECT_EQ(Scan("\\101"), (std::vector<Tok>{{tkChar, 'A', 0}}));
    EXPECT_EQ(Scan("\\0"), (std::vector<Tok>{{tkChar, 0, 0}}));
    EXPECT_EQ(Scan("\\1000000"), (std::vector<Tok>{{tkChar, 0x8000, 0}, {tkChar, '0', 0}}));
    EXPECT_EQ(Scan("\\18"), (std::vector<Tok>{{tkChar, 1, 0}, {tkChar, '8', 0}}));
}

TEST(ScannerTest, ClassMembersRangesAndTheirEnds)
{
    const std::vector<Tok> dash = {
        {tkClassStart, '[', 0}, {tkChar, 'a', 0}, {tkChar, '-', 0}, {tkClassEnd, ']', 0}};
    EXPECT_EQ(Scan("[a-]"), dash);
    const std::vector<Tok> neg = {{tkNegClassStart, '[', 0},
                                  {tkChar, '-', 0},
                                  {tkRange, 'a', 'c'},
                                  {tkChar, '^', 0},
                                  {tkClassEnd, ']', 0}};
    EXPECT_EQ(Scan("[^-a-c^]"), neg);
    // Ranges may mix single-byte and double-byte ends and use escapes.
    const std::vector<Tok> mixed = {{tkClassStart, '[', 0},
                                    {tkRange, 'a', 0x82A0},
                                    {tkRange, 0, 0x1F},
                                    {tkChar, ']', 0},
                                    {tkClassEnd, ']', 0}};
    EXPECT_EQ(Scan("[a-" + kA + "\\0-\\x1F\\]]"), mixed);
    // Metacharacters inside a class are members; "]" right after "[" closes it.
    const std::vector<Tok> meta = {
        {tkClassStart, '[', 0}, {tkChar, '(', 0}, {tkChar, '*', 0}, {tkClassEnd, ']', 0}, {tkChar, 'x', 0}};
    EXPECT_EQ(Scan("[(*]x"), meta);
    EXPECT_EQ(Scan("[]"), (std::vector<Tok>{{tkClassStart, '[', 0}, {tkClassEnd, ']', 0}}));
}

TEST(ScannerErrorTest, MessagesAndPositions)
{
    using E = std::pair<std::string, std::size_t>;
    EXPECT_EQ(ScanError("\\"), E(msg::kBackslashNeedsChar, 2));
    EXPECT_EQ(ScanError("ab\\"), E(msg::kBackslashNeedsChar, 4));
    EXPECT_EQ(ScanError("[a\\"), E(msg::kBackslashNeedsChar, 4));
    EXPECT_EQ(ScanError("[a-\\"), E(msg::kBackslashNeedsChar, 5));
    EXPECT_EQ(ScanError("\\xg"), E(msg::kBadHex, 4));
    EXPECT_EQ(ScanError("a\\x"), E(msg::kBadHex, 4));
    EXPECT_EQ(ScanError("\\777777"), E(msg::kBadOctal, 8));
    EXPECT_EQ(ScanError("[z-a]"), E(msg::kBadRange, 5));
    EXPECT_EQ(ScanError("[" + kA + "-a]"), E(msg::kBadRange, 6));
    EXPECT_EQ(ScanError("["), E(msg::kNeedRightBracket, 2));
    EXPECT_EQ(ScanError("[^"), E(msg::kNeedRightBracket, 3));
    EXPECT_EQ(ScanError("[abc"), E(msg::kNeedRightBracket, 5));
    EXPECT_EQ(ScanError("[a-"), E(msg::kNeedRightBracket, 4));
    EXPECT_EQ(ScanError("[a"), E(msg::kNeedRightBracket, 3));
    EXPECT_EQ(ScanError("ab\x82"), E(msg::kBadDoubleByte, 3));
    EXPECT_EQ(ScanError("[a\x82"), E(msg::kBadDoubleByte, 3));
}

TEST(ScannerErrorTest, SetPatternStartsAfreshAfterAnError)
{
    TREScanner scanner("[abc");
    EXPECT_THROW(while (scanner.NextToken() != tkEnd){}, ERegExpParser);
    EXPECT_TRUE(scanner.InClass());
    scanner.SetPattern("abc");
    EXPECT_EQ(scanner.Position(), 1u);
    int chars = 0;
    while (scanner.NextToken() == tkChar)
        ++chars;
    EXPECT_EQ(chars, 3);
    EXPECT_EQ(scanner.Kind(), tkEnd);
}

}  // namespace
}  // namespace zr::regex
