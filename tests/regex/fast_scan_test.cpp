// The fast scan against the designed automaton scan: random patterns (fuzzy
// and not, CP932 classes, anchors) over generated texts with long lines,
// CR / CRLF / NUL, double-byte characters split by a line break and trail
// bytes that look like ASCII must give the same lines, numbers and texts.
// Seeds are fixed; ZR_FAST_SCAN_ROUNDS raises the number of patterns.

#include "regex/byte_search.h"
#include "regex/fast_scan.h"
#include "regex/fast_text_window.h"
#include "regex/grep.h"
#include "regex/lazy_byte_dfa.h"
#include "regex/prefix_byte_sets.h"
#include "txt_file_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace zr::regex {
namespace {

using zr::test::Sjis;
using zr::test::TempFolder;

struct Hit {
    int lineNo;
    std::string line;
    bool operator==(const Hit &) const = default;
};

std::ostream &operator<<(std::ostream &out, const Hit &hit)
{
    return out << hit.lineNo << ":" << platform::Cp932ToUtf8Lossy(hit.line.substr(0, 80));
}

using Scan = void (TGrep::*)(const std::string &);

std::vector<Hit> Hits(TGrep &grep, Scan scan, const std::string &path)
{
    std::vector<Hit> hits;
    grep.SetOnMatch([&](TGrep &, RE_LineInfo_t &info) { hits.push_back({info.LineNo, info.Line}); });
    (grep.*scan)(path);
    return hits;
}

// The lines a count reports: without texts or numbers the scan takes
// shortcuts of its own.
std::size_t CountedLines(TGrep &grep, const std::string &path)
{
    std::size_t count = 0;
    grep.SetOnMatch([&](TGrep &, RE_LineInfo_t &) { ++count; });
    grep.SetLineTextWanted(false);
    grep.SetLineNumbersWanted(false);
    grep.FastScan(path);
    grep.SetLineTextWanted(true);
    grep.SetLineNumbersWanted(true);
    return count;
}

std::vector<Hit> FastHits(TFastScan &scan, const std::string &path)
{
    std::vector<Hit> hits;
    TFileTextSource source(path, TEncodingChoice::ecCp932);
    scan.Scan(source, {}, {}, [&](RE_LineInfo_t &info) { hits.push_back({info.LineNo, info.Line}); });
    return hits;
}

// Characters as CP932 bytes: ASCII, kana and kanji, full-width forms, a
// half-width katakana, and double-byte characters whose trail byte is an
// ASCII letter or "@" (a match must not start on those).
const std::vector<std::string> kChars = {"a",        "b",        "A",        "1",       " ",
                                         "@",        "\x82\xa0", "\x83\x41", "\xb1",    "\x8a\xbf",
                                         "\x82\x81", "\x81\x97", "\x83\x61", "\x82\x62"};

class Generator {
public:
    explicit Generator(std::uint32_t seed) : random_(seed) {}

    int Below(int n) { return static_cast<int>(random_() % static_cast<unsigned>(n)); }
    const std::string &Char() { return kChars[std::size_t(Below(int(kChars.size())))]; }

    std::string Pattern()
    {
        std::string out;
        if (Below(6) == 0)
            out += "^";
        out += Alternation(2);
        if (Below(6) == 0)
            out += "$";
        if (Below(40) == 0)
            out += Below(2) ? "\\n" + Char() : "[\\x01-\\x7f]" + Char();  // may run across lines
        return out;
    }

    // Lines of random characters with the line-break forms the reader normalises.
    std::string Text(int lines, int maxLength)
    {
        std::string out;
        for (int l = 0; l < lines; ++l) {
            for (int n = Below(maxLength + 1); n > 0; --n) {
                const int pick = Below(60);
                if (pick == 0)
                    out += '\0';
                else if (pick == 1)
                    out += "x";
                else
                    out += Char();
            }
            const int pick = Below(12);
            if (pick == 0)
                out += "\x82";  // a lead byte the line break cuts off
            out += pick < 3 ? "\r\n" : pick == 3 ? "\r" : "\n";
        }
        if (Below(2))
            out += Char();  // no line break at the end
        return out;
    }

private:
    std::string Alternation(int depth)
    {
        std::string out = Sequence(depth);
        while (Below(4) == 0)
            out += "|" + Sequence(depth);
        return out;
    }

    std::string Sequence(int depth)
    {
        std::string out;
        for (int n = 1 + Below(3); n > 0; --n) {
            out += Atom(depth);
            const int q = Below(10);
            out += q == 0 ? "*" : q == 1 ? "+" : q == 2 ? "?" : "";
        }
        return out;
    }

    std::string Atom(int depth)
    {
        const int pick = Below(12);
        if (pick < 6)
            return Char();
        if (pick == 6)
            return ".";
        if (pick < 10 || depth == 0) {
            std::string out = Below(3) == 0 ? "[^" : "[";
            for (int n = 1 + Below(2); n > 0; --n) {
                std::string low = Char(), high = Char();
                if (Below(2) && low < high)
                    out += low + "-" + high;
                else
                    out += low;
            }
            return out + "]";
        }
        return "(" + Alternation(depth - 1) + ")";
    }

    std::mt19937 random_;
};

// Sanitised builds run the designed scan many times slower: fewer patterns there.
#if defined(__SANITIZE_ADDRESS__)
constexpr int kPatterns = 300;
#else
constexpr int kPatterns = 1500;
#endif

int Rounds()
{
    const char *env = std::getenv("ZR_FAST_SCAN_ROUNDS");
    return env ? std::max(1, std::atoi(env)) : 1;
}

TEST(FastScanDifferential, RandomPatternsReportWhatTheDesignedScanReports)
{
    TempFolder folder;
    Generator generator(20261208);
    std::vector<std::string> paths;
    for (int t = 0; t < 8; ++t)
        paths.push_back(folder.Write("t" + std::to_string(t) + ".txt", generator.Text(40, 30)));
    // Big enough for the interleaved runs, with a line longer than a block.
    std::string big = generator.Text(9000, 40) + "\n";
    big += generator.Text(1, 0) + std::string(300000, 'b') + "a1" + Sjis("ア") + "\r\n";
    big += generator.Text(3000, 40);
    const std::string bigPath = folder.Write("big.txt", big);

    TGrep grep;
    grep.SetEncodingChoice(TEncodingChoice::ecCp932);  // the texts hold NUL bytes: no detection
    int fast = 0, patterns = 0, withSets = 0;
    for (int n = 0; n < kPatterns * Rounds(); ++n) {
        const std::string pattern = generator.Pattern();
        const bool fuzzy = generator.Below(3) == 0;
        SCOPED_TRACE("pattern " + platform::Cp932ToUtf8Lossy(pattern) + (fuzzy ? " (fuzzy)" : ""));
        grep.SetUseFuzzyCharDic(fuzzy);
        try {
            grep.SetRegExp(pattern);
        } catch (const ERegExpParser &) {
            continue;  // a random pattern may be malformed, e.g. an empty group
        }
        ++patterns;
        if (!grep.UsesFastScan())
            continue;
        ++fast;
        withSets += TFastScan(grep.CurrentDfa()).PrefixSetLength() > 0;
        for (const std::string &path : paths) {
            const std::vector<Hit> designed = Hits(grep, &TGrep::DfaScan, path);
            ASSERT_EQ(Hits(grep, &TGrep::FastScan, path), designed) << path;
            ASSERT_EQ(CountedLines(grep, path), designed.size()) << path;
        }
        if (n % 50 == 0) {
            const std::vector<Hit> designed = Hits(grep, &TGrep::DfaScan, bigPath);
            ASSERT_EQ(Hits(grep, &TGrep::FastScan, bigPath), designed);
            ASSERT_EQ(CountedLines(grep, bigPath), designed.size());
        }
    }
    // Most patterns compile and nearly all of those take the fast path.
    EXPECT_GT(patterns, kPatterns * Rounds() * 2 / 3);
    EXPECT_GT(fast, patterns * 9 / 10);
    EXPECT_GT(withSets, fast / 50);
}

// A cache of a few states is cleared again and again; the answers must not change.
TEST(FastScanDifferential, TinyAutomatonCacheGivesTheSameLines)
{
    TempFolder folder;
    Generator generator(7);
    const std::string path = folder.Write("t.txt", generator.Text(2000, 40));
    TGrep grep;
    grep.SetEncodingChoice(TEncodingChoice::ecCp932);
    grep.SetUseFuzzyCharDic(true);
    std::size_t resets = 0;
    for (const std::string pattern : {"abc", "a[b-z]*1", "(ab|ba)+.a", "ファイル", "[あ-ん]+[A-Z]"}) {
        grep.SetRegExp(Sjis(pattern));
        TFastScan scan(grep.CurrentDfa(), LazyDfaLimits{8, 64});
        ASSERT_TRUE(scan.Usable());
        EXPECT_EQ(FastHits(scan, path), Hits(grep, &TGrep::DfaScan, path)) << pattern;
        EXPECT_LE(scan.Automaton().StateCount(), 8u) << pattern;
        resets += scan.Automaton().CacheResets();
    }
    EXPECT_GT(resets, 10u);
}

class FastScanTest : public ::testing::Test {
protected:
    FastScanTest() { grep_.SetEncodingChoice(TEncodingChoice::ecCp932); }

    std::vector<Hit> Both(const std::string &pattern, const std::string &text)
    {
        grep_.SetRegExp(pattern);
        const std::string path = folder_.Write("t.txt", text);
        std::vector<Hit> fast = Hits(grep_, &TGrep::FastScan, path);
        EXPECT_EQ(fast, Hits(grep_, &TGrep::DfaScan, path)) << pattern;
        return fast;
    }

    TempFolder folder_;
    TGrep grep_;
};

TEST_F(FastScanTest, LineBreakFormsNulAndSplitCharacters)
{
    EXPECT_EQ(Both("b$", "a\rb\r\nc\rb"), (std::vector<Hit>{{2, "b"}, {4, "b"}}));
    EXPECT_EQ(Both("^$", "\r\n\n\rx\n"), (std::vector<Hit>{{1, ""}, {2, ""}, {3, ""}}));
    EXPECT_EQ(Both("a b", std::string("xa\0b\n", 5)), (std::vector<Hit>{{1, "xa b"}}));
    // After a lead byte "@" is a trail byte; a lead byte before a break stands alone.
    EXPECT_EQ(Both("@", "\x82@\n\x82\n@\n"), (std::vector<Hit>{{3, "@"}}));
    EXPECT_EQ(Both("A", Sjis("ア") + "\nA\n"), (std::vector<Hit>{{2, "A"}}));
    EXPECT_EQ(Both("A", Sjis("アア") + "A" + Sjis("ア") + "\n").size(), 1u);
    EXPECT_EQ(Both(Sjis("ア"), "\x83" + Sjis("ア") + "\n\x83\x83" + Sjis("ア") + "\n").size(), 1u);
    EXPECT_TRUE(Both("abc", "").empty());
    EXPECT_EQ(Both("^", "x\ny"), (std::vector<Hit>{{1, "x"}, {2, "y"}}));
}

TEST_F(FastScanTest, LiteralsAcrossBlockEdgesAndCrAtTheEdge)
{
    const std::size_t block = TFastTextWindow::kBlockSize;
    for (std::size_t shift : {0u, 1u, 2u, 3u, 63u, 64u}) {
        std::string text = std::string(block - 3 - shift, 'x') + "timeout\r";
        text += "\ntimeout\r" + std::string(block, 'y') + "\r";
        EXPECT_EQ(Both("timeout", text).size(), 2u) << shift;
        EXPECT_EQ(Both("out$", text).size(), 2u) << shift;
        EXPECT_EQ(Both("^y", text).size(), 1u) << shift;
    }
}

TEST_F(FastScanTest, VeryLongLineKeepsItsHeadAndItsNumber)
{
    const std::size_t cap = TFastTextWindow::kMaxLineText;
    std::string text =
        "first\n" + std::string(cap + 3 * TFastTextWindow::kBlockSize, 'z') + "needle\nlast needle\n";
    grep_.SetRegExp("needle");
    const std::vector<Hit> hits = Hits(grep_, &TGrep::FastScan, folder_.Write("long.txt", text));
    ASSERT_EQ(hits.size(), 2u);
    EXPECT_EQ(hits[0].lineNo, 2);
    EXPECT_EQ(hits[0].line, std::string(cap, 'z'));
    EXPECT_EQ(hits[1], (Hit{3, "last needle"}));
}

TEST_F(FastScanTest, PatternsThatRunAcrossLinesUseTheDesignedScan)
{
    for (const char *pattern : {"a\\nb", "a[\\x01-\\x7f]*b", "a[\\x01-\\x7f]b"}) {
        grep_.SetRegExp(pattern);
        EXPECT_FALSE(grep_.UsesFastScan()) << pattern;
        EXPECT_THROW(grep_.FastScan(folder_.Write("t.txt", "a\nb\n")), std::logic_error);
    }
    for (const char *pattern : {"abc", "^a", "a$", "[^a]b", ".*x", "a|$"}) {
        grep_.SetRegExp(pattern);
        EXPECT_TRUE(grep_.UsesFastScan()) << pattern;
    }
    grep_.SetRegExp("a\\nb");
    std::vector<int> lines;
    grep_.SetOnMatch([&](TGrep &, RE_LineInfo_t &info) { lines.push_back(info.LineNo); });
    grep_.GrepFile(folder_.Write("t.txt", "xa\nb\na\nc\n"));
    EXPECT_EQ(lines, (std::vector<int>{1}));
}

TEST(FastScanPrefilter, RequiredPrefixOfCommonShapes)
{
    TGrep grep;
    auto prefix = [&](const std::string &pattern) {
        grep.SetRegExp(pattern);
        return RequiredPrefix(*grep.CurrentDfa());
    };
    EXPECT_EQ(prefix("foo[0-9]+bar"), "foo");
    EXPECT_EQ(prefix("^abc"), "abc");
    EXPECT_EQ(prefix("abc$"), "abc");
    EXPECT_EQ(prefix("ab|ac"), "a");
    EXPECT_EQ(prefix("a*b"), "");
    EXPECT_EQ(prefix(Sjis("ファイル")), Sjis("ファイル"));
    grep.SetUseFuzzyCharDic(true);
    EXPECT_EQ(prefix("error"), "");
}

TEST(FastScanPrefilter, ByteSetsOfTheFirstPositions)
{
    TGrep grep;
    auto sets = [&](const std::string &pattern) {
        grep.SetRegExp(pattern);
        return PrefixByteSets(*grep.CurrentDfa(), TByteSetFinder::kMaxLength);
    };
    grep.SetUseFuzzyCharDic(true);
    const std::vector<ByteSet> error = sets("error");
    ASSERT_EQ(error.size(), 4u);
    EXPECT_EQ(error[0].count(), 3u);  // E, e and the lead byte of the full-width forms
    EXPECT_TRUE(error[0].test('E') && error[0].test('e') && error[0].test(0x82));
    EXPECT_TRUE(error[1].test('r') && error[1].test('R') && error[1].test(0x85));
    EXPECT_LT(CandidateRate(error), 1e-3);
    grep.SetUseFuzzyCharDic(false);
    // Anchors and line breaks, possible ends of a match and lone lead bytes cut the sets short.
    EXPECT_TRUE(sets("^abc").empty());
    EXPECT_EQ(sets("ab$").size(), 2u);
    EXPECT_EQ(sets("a|bcde").size(), 1u);
    EXPECT_EQ(sets("[\\x81]").size(), 1u);
    EXPECT_GT(CandidateRate(sets("[A-Za-z]+[0-9]+")), 0.1);
}

TEST_F(FastScanTest, FuzzyWordsFoundThroughTheByteSets)
{
    grep_.SetUseFuzzyCharDic(true);
    grep_.SetRegExp("error");
    ASSERT_GT(TFastScan(grep_.CurrentDfa()).PrefixSetLength(), 0u);
    std::string text;
    for (int i = 0; i < 3000; ++i)
        text += i % 7 == 0 ? "log line " + std::to_string(i) + "\n" : "other text " + Sjis("テキスト") + "\n";
    text += Sjis("ｅｒｒｏｒ") + "\nERROR\r\nx" + Sjis("Ｅ") + "rRoR\n";
    // A second byte "e" (0x82 0x65) starts no match; the "e" after it does.
    text += "\x82"
            "error\n\x82"
            "eerror\n\x82";
    text += "\n" + std::string(3 * TFastTextWindow::kBlockSize, 'e') + "rror\n";
    EXPECT_EQ(Both("error", text).size(), 5u);
    // A count asks for no line numbers: the same lines, numbered 0.
    grep_.SetLineNumbersWanted(false);
    const std::vector<Hit> counted = Hits(grep_, &TGrep::FastScan, folder_.Write("t.txt", text));
    EXPECT_EQ(counted.size(), 5u);
    EXPECT_TRUE(std::all_of(counted.begin(), counted.end(), [](const Hit &hit) { return hit.lineNo == 0; }));
}

// False candidates (the first bytes of "error" without the rest) all over
// lines longer than the window keeps, the match far behind the line's start.
TEST_F(FastScanTest, ByteSetCandidatesInLinesLongerThanTheWindowKeeps)
{
    grep_.SetUseFuzzyCharDic(true);
    grep_.SetRegExp("error");
    ASSERT_GT(TFastScan(grep_.CurrentDfa()).PrefixSetLength(), 0u);
    std::string decoys;
    while (decoys.size() < TFastTextWindow::kMaxLineText + 3 * TFastTextWindow::kBlockSize)
        decoys += "errox " + Sjis("ｅｒｒ") +
                  "x \x82"
                  "erro ";
    std::string text = "one\n" + decoys + "ERROR" + decoys + "\n";
    text += "two " + decoys + "\nthree error\n" + decoys + Sjis("ｅｒｒｏｒ");
    const std::string path = folder_.Write("long.txt", text);
    const std::vector<Hit> hits = Hits(grep_, &TGrep::FastScan, path);
    const std::vector<Hit> designed = Hits(grep_, &TGrep::DfaScan, path);
    ASSERT_EQ(hits.size(), 3u);
    ASSERT_EQ(designed.size(), 3u);
    for (std::size_t i = 0; i < hits.size(); ++i) {
        // The designed scan holds a line whole; the fast one keeps its head.
        EXPECT_EQ(hits[i].lineNo, designed[i].lineNo);
        EXPECT_EQ(hits[i].line, designed[i].line.substr(0, TFastTextWindow::kMaxLineText));
    }
    EXPECT_EQ(hits[0].lineNo, 2);
    EXPECT_EQ(hits[1], (Hit{4, "three error"}));
    EXPECT_EQ(hits[2].lineNo, 5);
}

TEST(FastScanPrefilter, ByteSetsOfDoubleByteRanges)
{
    TGrep grep;
    // Kanji from 0x889F (亜) to 0x8A40 (魁): three lead bytes.
    grep.SetRegExp(Sjis("[亜-魁]") + "xyz");
    ASSERT_EQ(Sjis("魁"), "\x8a\x40");
    const std::vector<ByteSet> sets = PrefixByteSets(*grep.CurrentDfa(), TByteSetFinder::kMaxLength);
    ASSERT_EQ(sets.size(), 4u);
    EXPECT_EQ(sets[0], ByteSet().set(0x88).set(0x89).set(0x8A));
    EXPECT_TRUE(sets[1].test(0x9F) && sets[1].test(0xFC) && sets[1].test(0x40));
    EXPECT_FALSE(sets[1].test('\n'));  // a lead byte before a line break stands alone
    EXPECT_EQ(sets[2], ByteSet().set('x'));
}

TEST(FastScanPrefilter, NeedleFinderAndLineFeedCountAgreeWithPlainSearches)
{
    std::mt19937 random(3);
    std::string hay(5000, ' ');
    for (char &c : hay)
        c = "ab\n\x82"[random() % 4];
    const auto *begin = reinterpret_cast<const unsigned char *>(hay.data());
    for (std::size_t length = 1; length <= 40; ++length) {
        for (int trial = 0; trial < 20; ++trial) {
            const std::size_t at = random() % (hay.size() - length);
            const TNeedleFinder finder(hay.substr(at, length));
            const std::size_t from = random() % (at + 1);
            const std::size_t to = std::min(hay.size(), at + length + random() % 40);
            const auto expected =
                std::search(hay.begin() + std::ptrdiff_t(from), hay.begin() + std::ptrdiff_t(to),
                            finder.Needle().begin(), finder.Needle().end());
            const unsigned char *found = finder.Find(begin + from, begin + to);
            ASSERT_EQ(found ? std::size_t(found - begin) : to, std::size_t(expected - hay.begin()))
                << length << " " << from << " " << to;
        }
    }
    for (std::size_t from : {0u, 1u, 17u, 33u})
        for (std::size_t to : {4999u, 4968u, 100u}) {
            EXPECT_EQ(CountByte(begin + from, begin + to, '\n'),
                      std::size_t(std::count(hay.begin() + std::ptrdiff_t(from),
                                             hay.begin() + std::ptrdiff_t(to), '\n')));
            const auto nulOrCr =
                std::find_if(hay.begin() + std::ptrdiff_t(from), hay.begin() + std::ptrdiff_t(to),
                             [](char c) { return c == '\0' || c == '\r'; });
            EXPECT_EQ(FindNulOrCr(begin + from, begin + to), begin + (nulOrCr - hay.begin()));
        }
    // More line feeds than one byte counter holds.
    const std::string feeds(100000, '\n');
    const auto *f = reinterpret_cast<const unsigned char *>(feeds.data());
    EXPECT_EQ(CountByte(f + 3, f + feeds.size(), '\n'), feeds.size() - 3);

    // Byte sets: random sets of a few bytes each against a plain search.
    for (int trial = 0; trial < 200; ++trial) {
        std::vector<ByteSet> sets(1 + random() % TByteSetFinder::kMaxLength);
        for (ByteSet &set : sets)
            for (int n = 1 + int(random() % 2); n > 0; --n)
                set.set("ab\n\x82z"[random() % 5] & 0xFF);
        const TByteSetFinder finder(sets);
        const std::size_t from = random() % 200, to = hay.size() - random() % 200;
        const unsigned char *expected = nullptr;
        for (std::size_t at = from; !expected && at + sets.size() <= to; ++at) {
            std::size_t k = 0;
            while (k < sets.size() && sets[k].test(begin[at + k]))
                ++k;
            if (k == sets.size())
                expected = begin + at;
        }
        ASSERT_EQ(finder.Find(begin + from, begin + to), expected) << trial;
    }
}

// Sets of many scattered bytes have more rectangles than the lookups hold:
// merged ones let through places that the sets themselves must turn down.
TEST(FastScanPrefilter, ByteSetsOfAnyShapeAgreeWithAPlainSearch)
{
    std::mt19937 random(11);
    std::string hay(3000, ' ');
    for (char &c : hay)
        c = static_cast<char>(random() % 256);
    const auto *begin = reinterpret_cast<const unsigned char *>(hay.data());
    int inexact = 0;
    for (int trial = 0; trial < 300; ++trial) {
        std::vector<ByteSet> sets(1 + random() % TByteSetFinder::kMaxLength);
        for (ByteSet &set : sets)
            for (int n = 1 + int(random() % 90); n > 0; --n)
                set.set(random() % 256);
        const TByteSetFinder finder(sets);
        inexact += !finder.Exact();
        for (std::size_t from = random() % 100; from < hay.size(); from += 1 + random() % 300) {
            const unsigned char *expected = nullptr;
            for (std::size_t at = from; !expected && at + sets.size() <= hay.size(); ++at) {
                std::size_t k = 0;
                while (k < sets.size() && sets[k].test(begin[at + k]))
                    ++k;
                if (k == sets.size())
                    expected = begin + at;
            }
            ASSERT_EQ(finder.Find(begin + from, begin + hay.size()), expected) << trial << " " << from;
        }
    }
    EXPECT_GT(inexact, 50);
    EXPECT_LT(inexact, 300);
}

TEST(FastScanPrefilter, NearByteSearchesAgreeWithMemchr)
{
    std::mt19937 random(5);
    std::string hay(700, 'a');
    for (std::size_t i = 0; i < hay.size(); i += 1 + random() % 150)
        hay[i] = "\n\x1b\x82"[random() % 3];
    const auto *begin = reinterpret_cast<const unsigned char *>(hay.data());
    for (std::size_t from = 0; from < hay.size(); from += 1 + random() % 20)
        for (std::size_t to = from; to <= hay.size(); to += 1 + random() % 40) {
            const std::size_t length = to - from;
            ASSERT_EQ(FindByte(begin + from, begin + to, '\n'), std::memchr(begin + from, '\n', length));
            ASSERT_EQ(FindLastByte(begin + from, begin + to, '\n'), ::memrchr(begin + from, '\n', length));
            const unsigned char *other = begin + from;
            while (other != begin + to && *other < 0x80 && *other != 0x1b)
                ++other;
            ASSERT_EQ(FindNonAsciiOr(begin + from, begin + to, 0x1b), other);
        }
}

}  // namespace
}  // namespace zr::regex
