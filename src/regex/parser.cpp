#include "regex/parser.h"

#include <utility>

namespace zr::regex {

namespace {

// Removes the range of x from every leaf in the list of `from`, keeping the
// remainders below and above it as new leaves.
void SubtractLeaf(TREParseTree &from, const TREParseNode &x)
{
    std::size_t k = 0;
    while (k < from.Leaves().size()) {
        TREParseNode *q = from.Leaves()[k];
        if (q->low > x.high || x.low > q->high) {
            ++k;
            continue;
        }
        const long qLow = q->low, qHigh = q->high;
        from.RemoveLeaf(q);
        from.MakeLeafIfValid(qLow, long(x.low) - 1);
        from.MakeLeafIfValid(long(x.high) + 1, qHigh);
    }
}

}  // namespace

TREParser::TREParser(std::string pattern) : scanner_(std::move(pattern)) {}

void TREParser::Fail(const char *message) const { throw ERegExpParser(message, scanner_.Position()); }

void TREParser::Parse()
{
    tree_.Clear();
    nesting_ = 0;
    Next();
    tree_.SetRoot(Regexp());
    if (Current() != tkEnd)
        Fail(msg::kExtraText);
    tree_.MakeDisjoint();
}

TREParseNode *TREParser::Regexp()
{
    TREParseNode *t = Term();
    while (Current() == tkUnion) {
        Next();
        t = tree_.MakeNode(opUnion, t, Term());
    }
    return t;
}

TREParseNode *TREParser::Term()
{
    auto endsTerm = [this] { return Current() == tkUnion || Current() == tkRParen || Current() == tkEnd; };
    if (endsTerm())
        return tree_.MakeNode(opEmpty);
    TREParseNode *f = Factor();
    while (!endsTerm())
        f = tree_.MakeNode(opConcat, f, Factor());
    return f;
}

TREParseNode *TREParser::Factor()
{
    TREParseNode *p = Primary();
    switch (Current()) {
    case tkStar:
        p = tree_.MakeNode(opStar, p);
        break;
    case tkPlus:
        p = tree_.MakeNode(opConcat, p, tree_.MakeNode(opStar, p));
        break;
    case tkQuestion:
        p = tree_.MakeNode(opUnion, p, tree_.MakeNode(opEmpty));
        break;
    default:
        return p;
    }
    Next();
    return p;
}

TREParseNode *TREParser::Primary()
{
    TREParseNode *p = nullptr;
    switch (Current()) {
    case tkChar:
        p = tree_.MakeLeaf(scanner_.Code(), scanner_.Code());
        break;
    case tkLParen:
        return Group();
    case tkClassStart:
    case tkNegClassStart:
        p = (Current() == tkClassStart) ? Class(tree_) : NegatedClass();
        if (Current() != tkClassEnd)
            Fail(msg::kNeedRightBracket);
        break;
    case tkAnyChar:
        p = tree_.MakeAnyChar();
        break;
    case tkLineHead:
        p = tree_.MakeLineHead(scanner_.Code());
        break;
    case tkLineTail:
        p = tree_.MakeLineTail(scanner_.Code());
        break;
    default:
        Fail(msg::kNeedCharOrLParen);
    }
    Next();
    return p;
}

TREParseNode *TREParser::Group()
{
    if (++nesting_ > kMaxGroupNesting)
        Fail(msg::kNestedTooDeep);
    Next();
    TREParseNode *r = Regexp();
    if (Current() != tkRParen)
        Fail(msg::kNeedRightParen);
    Next();
    --nesting_;
    return r;
}

// Leaves the class's closing "]" as the current token.
TREParseNode *TREParser::Class(TREParseTree &into)
{
    Next();
    if (Current() == tkClassEnd)
        Fail(msg::kEmptyClass);
    TREParseNode *p = ClassItem(into);
    for (Next(); Current() != tkClassEnd; Next())
        p = into.MakeNode(opUnion, p, ClassItem(into));
    return p;
}

TREParseNode *TREParser::ClassItem(TREParseTree &into)
{
    const CharCode high = Current() == tkRange ? scanner_.RangeEnd() : scanner_.Code();
    return into.MakeLeaf(scanner_.Code(), high);
}

// Every character of the any-character set outside the listed ones.
TREParseNode *TREParser::NegatedClass()
{
    TREParseTree excluded;
    Class(excluded);
    excluded.MakeDisjoint();
    TREParseTree remaining;
    remaining.MakeAnyChar();
    for (const TREParseNode *x : excluded.Leaves())
        SubtractLeaf(remaining, *x);

    const auto &ranges = remaining.Leaves();
    if (ranges.empty())
        return tree_.MakeNode(opNever);
    TREParseNode *p = tree_.MakeLeaf(ranges[0]->low, ranges[0]->high);
    for (std::size_t i = 1; i < ranges.size(); ++i)
        p = tree_.MakeNode(opUnion, p, tree_.MakeLeaf(ranges[i]->low, ranges[i]->high));
    return p;
}

}  // namespace zr::regex
