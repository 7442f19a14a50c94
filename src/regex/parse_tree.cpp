#include "regex/parse_tree.h"

#include <algorithm>
#include <stdexcept>

#include "regex/nfa_limits.h"

namespace zr::regex {

TREParseNode *TREParseTree::MakeNode(NodeOp op, TREParseNode *left, TREParseNode *right)
{
    TREParseNode &node = nodes_.emplace_back();
    node.op = op;
    node.left = left;
    node.right = right;
    return &node;
}

TREParseNode *TREParseTree::MakeLeaf(CharCode low, CharCode high)
{
    const auto key = Key(low, high);
    if (auto it = leafByRange_.find(key); it != leafByRange_.end())
        return it->second;
    TREParseNode &leaf = nodes_.emplace_back();
    leaf.op = opLeaf;
    leaf.low = low;
    leaf.high = high;
    leaves_.push_back(&leaf);
    leafByRange_.emplace(key, &leaf);
    return &leaf;
}

TREParseNode *TREParseTree::MakeLeafIfValid(long low, long high)
{
    if (high < low || low < 0 || high > 0xFFFF)
        return nullptr;
    return MakeLeaf(static_cast<CharCode>(low), static_cast<CharCode>(high));
}

TREParseNode *TREParseTree::MakeLineHead(CharCode code)
{
    TREParseNode *node = MakeNode(opLineHead);
    node->low = node->high = code;
    return node;
}

TREParseNode *TREParseTree::MakeLineTail(CharCode code)
{
    TREParseNode *node = MakeNode(opLineTail);
    node->low = node->high = code;
    return node;
}

TREParseNode *TREParseTree::MakeAnyChar()
{
    TREParseNode *controls = MakeNode(opUnion, MakeLeaf(0x01, 0x09), MakeLeaf(0x0B, 0x0C));
    return MakeNode(opUnion, controls, MakeLeaf(0x0E, kMaxCharCode));
}

void TREParseTree::ReplaceByUnion(TREParseNode *leaf, TREParseNode *a, TREParseNode *b)
{
    if (!leaf || !a || !b)
        throw std::runtime_error(msg::kTreeFatal);
    RemoveLeaf(leaf);
    leaf->op = opUnion;
    leaf->left = a;
    leaf->right = b;
}

void TREParseTree::RemoveLeaf(TREParseNode *leaf)
{
    leaves_.erase(std::find(leaves_.begin(), leaves_.end(), leaf));
    leafByRange_.erase(Key(leaf->low, leaf->high));
}

void TREParseTree::MakeDisjoint(std::size_t maxSteps)
{
    std::size_t steps = 0;
    std::size_t i = 0;
    while (i < leaves_.size()) {
        bool changed = false;
        for (std::size_t j = i + 1; j < leaves_.size() && !changed; ++j) {
            if (++steps > maxSteps)
                ThrowTooComplex();
            changed = Split(leaves_[j], leaves_[i]);
        }
        if (!changed)
            ++i;
    }
}

// Splits two overlapping leaves into the pieces below, inside and above their
// overlap; each leaf becomes the union of the pieces that make it up.
bool TREParseTree::Split(TREParseNode *a, TREParseNode *b)
{
    TREParseNode *l = (a->low <= b->low) ? a : b;
    TREParseNode *r = (l == a) ? b : a;
    if (r->low > l->high || (l->low == r->low && l->high == r->high))
        return false;
    const long lo = r->low;
    const long mid = std::min(l->high, r->high);
    const long hi = std::max(l->high, r->high);
    const bool lContainsR = l->high == hi;
    TREParseNode *lLow = l;
    TREParseNode *rOther = r;
    TREParseNode *below = MakeLeafIfValid(l->low, lo - 1);
    TREParseNode *overlap = MakeLeaf(static_cast<CharCode>(lo), static_cast<CharCode>(mid));
    TREParseNode *above = MakeLeafIfValid(mid + 1, hi);
    if (!below) {
        ReplaceByUnion(lContainsR ? lLow : rOther, overlap, above);
    } else if (!above) {
        ReplaceByUnion(lLow, below, overlap);
    } else if (lContainsR) {
        ReplaceByUnion(lLow, MakeNode(opUnion, below, overlap), above);
    } else {
        ReplaceByUnion(lLow, below, overlap);
        ReplaceByUnion(rOther, overlap, above);
    }
    return true;
}

void TREParseTree::Clear()
{
    root_ = nullptr;
    leaves_.clear();
    leafByRange_.clear();
    nodes_.clear();
}

}  // namespace zr::regex
