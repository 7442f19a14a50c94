// Random small patterns over a small alphabet, run through the whole engine
// (preprocessor off, parser, automata, grep scans, text reader) and through a
// deliberately simple backtracking matcher written here; both must report the
// same line numbers. Seeds are fixed, so any failure reproduces.

#include "regex/grep.h"
#include "txt_file_test_support.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace zr::regex {
namespace {

constexpr CharCode kLineFeed = '\n';
constexpr CharCode kA = 0x82A0;  // "あ" in CP932
const std::vector<CharCode> kPatternAlphabet = {'a', 'b', 'c', kA};
const std::vector<CharCode> kTextAlphabet = {'a', 'b', 'c', kA, 'x'};

std::string Bytes(CharCode code)
{
    return code > 0xFF ? std::string{static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)}
                       : std::string(1, static_cast<char>(code));
}

// ---- The pattern as a tree, printed as pattern text and matched directly.

struct Node {
    enum Kind { Char, Any, Class, Cat, Alt, Star, Plus, Opt } kind = Char;
    CharCode code = 0;                                  // Char
    bool negated = false;                               // Class
    std::vector<std::pair<CharCode, CharCode>> ranges;  // Class
    std::vector<std::unique_ptr<Node>> children;        // Cat, Alt, Star, Plus, Opt
};

using NodePtr = std::unique_ptr<Node>;

// Leaves only; PatternText prints the structure.
std::string PrintLeaf(const Node &node)
{
    if (node.kind == Node::Any)
        return ".";
    if (node.kind != Node::Class)
        return Bytes(node.code);
    std::string out = node.negated ? "[^" : "[";
    for (auto [low, high] : node.ranges)
        out += low == high ? Bytes(low) : Bytes(low) + "-" + Bytes(high);
    return out + "]";
}

bool ClassAccepts(const Node &node, CharCode c)
{
    bool member = false;
    for (auto [low, high] : node.ranges)
        member = member || (c >= low && c <= high);
    // A negated class never takes a line break.
    return node.negated ? !member && c != kLineFeed : member;
}

// All end positions of matches of node that start at pos.
std::set<std::size_t> Ends(const Node &node, const std::vector<CharCode> &text, std::size_t pos)
{
    std::set<std::size_t> ends;
    switch (node.kind) {
    case Node::Char:
        if (pos < text.size() && text[pos] == node.code)
            ends.insert(pos + 1);
        break;
    case Node::Any:
        if (pos < text.size() && text[pos] != kLineFeed)
            ends.insert(pos + 1);
        break;
    case Node::Class:
        if (pos < text.size() && ClassAccepts(node, text[pos]))
            ends.insert(pos + 1);
        break;
    case Node::Cat: {
        std::set<std::size_t> current = {pos};
        for (const auto &child : node.children) {
            std::set<std::size_t> next;
            for (std::size_t p : current)
                for (std::size_t e : Ends(*child, text, p))
                    next.insert(e);
            current = std::move(next);
        }
        ends = std::move(current);
        break;
    }
    case Node::Alt:
        for (const auto &child : node.children)
            for (std::size_t e : Ends(*child, text, pos))
                ends.insert(e);
        break;
    case Node::Star:
    case Node::Plus:
    case Node::Opt: {
        std::set<std::size_t> reached;
        std::vector<std::size_t> frontier = {pos};
        const bool repeat = node.kind != Node::Opt;
        for (bool first = true; !frontier.empty(); first = false) {
            std::vector<std::size_t> next;
            for (std::size_t p : frontier)
                for (std::size_t e : Ends(*node.children[0], text, p))
                    if (reached.insert(e).second && repeat)
                        next.push_back(e);
            frontier = first || repeat ? std::move(next) : std::vector<std::size_t>{};
        }
        ends = reached;
        if (node.kind != Node::Plus)
            ends.insert(pos);
        break;
    }
    }
    return ends;
}

// The text as the grep scans see it: a line feed before the first line and
// after every line; a match starting at p belongs to the line counted by the
// line feeds up to and including p, and must consume at least one character.
std::vector<std::int32_t> ReferenceLines(const Node &pattern, const std::vector<std::vector<CharCode>> &lines)
{
    std::vector<CharCode> text = {kLineFeed};
    for (const auto &line : lines) {
        text.insert(text.end(), line.begin(), line.end());
        text.push_back(kLineFeed);
    }
    std::set<std::int32_t> reported;
    std::int32_t lineNo = 0;
    for (std::size_t p = 0; p + 1 < text.size(); ++p) {
        if (text[p] == kLineFeed)
            ++lineNo;
        for (std::size_t e : Ends(pattern, text, p))
            if (e > p)
                reported.insert(lineNo);
    }
    return {reported.begin(), reported.end()};
}

// ---- Random patterns and texts.

class Generator {
public:
    explicit Generator(std::uint32_t seed) : random_(seed) {}

    // Alternatives of concatenations; "^" and "$" only at the ends of a whole
    // alternative, where they stand for the line feed before or after a line.
    NodePtr Pattern()
    {
        auto alt = Make(Node::Alt);
        for (int b = Below(3) == 0 ? 2 : 1; b > 0; --b) {
            auto branch = Concatenation(2);
            if (Below(5) == 0)
                branch->children.insert(branch->children.begin(), CharNode(kLineFeed));
            if (Below(5) == 0)
                branch->children.push_back(CharNode(kLineFeed));
            alt->children.push_back(std::move(branch));
        }
        return alt;
    }

    std::vector<std::vector<CharCode>> Lines()
    {
        std::vector<std::vector<CharCode>> lines(1 + Below(6));
        for (auto &line : lines)
            for (int n = Below(9); n > 0; --n)
                line.push_back(kTextAlphabet[Below(kTextAlphabet.size())]);
        return lines;
    }

    int Below(std::size_t n) { return static_cast<int>(random_() % n); }

private:
    static NodePtr Make(Node::Kind kind)
    {
        auto node = std::make_unique<Node>();
        node->kind = kind;
        return node;
    }

    static NodePtr CharNode(CharCode code)
    {
        auto node = Make(Node::Char);
        node->code = code;
        return node;
    }

    CharCode Letter() { return kPatternAlphabet[Below(kPatternAlphabet.size())]; }

    NodePtr Concatenation(int depth)
    {
        auto cat = Make(Node::Cat);
        for (int n = 1 + Below(3); n > 0; --n)
            cat->children.push_back(Repeated(depth));
        return cat;
    }

    NodePtr Repeated(int depth)
    {
        NodePtr atom = Atom(depth);
        const int pick = Below(8);
        if (pick > 2)
            return atom;
        auto repeat = Make(pick == 0 ? Node::Star : pick == 1 ? Node::Plus : Node::Opt);
        repeat->children.push_back(std::move(atom));
        return repeat;
    }

    NodePtr Atom(int depth)
    {
        const int pick = Below(10);
        if (pick < 5)
            return CharNode(Letter());
        if (pick == 5)
            return Make(Node::Any);
        if (pick < 8 || depth == 0)
            return Class();
        auto group = Make(Node::Alt);
        for (int b = 1 + Below(2); b > 0; --b)
            group->children.push_back(Concatenation(depth - 1));
        return group;
    }

    NodePtr Class()
    {
        auto node = Make(Node::Class);
        node->negated = Below(3) == 0;
        for (int n = 1 + Below(2); n > 0; --n) {
            CharCode low = Letter(), high = Letter();
            if (low > high)
                std::swap(low, high);
            node->ranges.emplace_back(low, Below(2) ? high : low);
        }
        return node;
    }

    std::mt19937 random_;
};

// Groups print with their parentheses.
std::string PatternText(const Node &pattern)
{
    std::string text;
    std::function<std::string(const Node &, bool)> print = [&](const Node &node, bool top) -> std::string {
        if (node.kind == Node::Alt && !top)
            return "(" + print(node, true) + ")";
        if (node.kind == Node::Alt) {
            std::string out;
            for (std::size_t i = 0; i < node.children.size(); ++i)
                out += (i ? "|" : "") + print(*node.children[i], false);
            return out;
        }
        if (node.kind == Node::Cat) {
            std::string out;
            for (std::size_t i = 0; i < node.children.size(); ++i) {
                const Node &child = *node.children[i];
                if (child.kind == Node::Char && child.code == kLineFeed)
                    out += i == 0 ? "^" : "$";
                else
                    out += print(child, false);
            }
            return out;
        }
        if (node.kind == Node::Star || node.kind == Node::Plus || node.kind == Node::Opt) {
            const char *suffix = node.kind == Node::Star ? "*" : node.kind == Node::Plus ? "+" : "?";
            return print(*node.children[0], false) + suffix;
        }
        return PrintLeaf(node);
    };
    return print(pattern, true);
}

std::string FileText(const std::vector<std::vector<CharCode>> &lines, bool crlf, bool finalBreak)
{
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        for (CharCode c : lines[i])
            text += Bytes(c);
        if (i + 1 < lines.size() || finalBreak)
            text += crlf ? "\r\n" : "\n";
    }
    return text;
}

std::vector<std::int32_t> EngineLines(TGrep &grep, const std::string &path)
{
    std::vector<std::int32_t> lines;
    grep.SetOnMatch([&](TGrep &, RE_LineInfo_t &info) { lines.push_back(info.LineNo); });
    grep.GrepFile(path);
    return lines;
}

class Differential : public ::testing::TestWithParam<std::uint32_t> {};

TEST_P(Differential, EngineAgreesWithReferenceMatcher)
{
    test::TempFolder folder;
    Generator generator(GetParam());
    std::vector<std::vector<std::vector<CharCode>>> texts;
    std::vector<std::string> paths;
    for (int t = 0; t < 12; ++t) {
        texts.push_back(generator.Lines());
        const bool crlf = generator.Below(3) == 0;
        // An empty last line exists only when a break ends it.
        const bool finalBreak = generator.Below(2) == 0 || texts.back().back().empty();
        paths.push_back(
            folder.Write("t" + std::to_string(t) + ".txt", FileText(texts.back(), crlf, finalBreak)));
    }
    TGrep grep;
    int compared = 0;
    for (int n = 0; n < 400; ++n) {
        NodePtr pattern = generator.Pattern();
        const std::string text = PatternText(*pattern);
        SCOPED_TRACE("pattern " + platform::Cp932ToUtf8Lossy(text));
        ASSERT_NO_THROW(grep.SetRegExp(text));
        for (std::size_t t = 0; t < paths.size(); ++t) {
            ASSERT_EQ(EngineLines(grep, paths[t]), ReferenceLines(*pattern, texts[t]))
                << "text " << platform::Cp932ToUtf8Lossy(FileText(texts[t], false, true));
            ++compared;
        }
    }
    EXPECT_EQ(compared, 400 * 12);
}

INSTANTIATE_TEST_SUITE_P(FixedSeeds, Differential, ::testing::Values(1u, 2u, 3u, 20261207u));

}  // namespace
}  // namespace zr::regex
