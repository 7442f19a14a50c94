#pragma once
// The parse tree of a pattern. The store owns every node; character leaves are
// shared (one leaf per distinct code range), so the tree is a DAG, and
// MakeDisjoint rewrites overlapping leaves in place into unions of pieces.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <unordered_map>
#include <vector>

#include "regex/scanner.h"

namespace zr::regex {

enum NodeOp : std::uint8_t {
    opLeaf = 0,      // low..high: one character in the range
    opLineHead = 1,  // low = high = the code of "^" as written
    opLineTail = 2,  // low = high = the code of "$" as written
    opConcat = 3,
    opUnion = 4,
    opStar = 5,   // left repeated zero or more times
    opEmpty = 6,  // the empty string
    opNever = 7,  // matches nothing (a negated class that excludes every character)
};

struct TREParseNode {
    NodeOp op = opEmpty;
    CharCode low = 0;
    CharCode high = 0;
    TREParseNode *left = nullptr;
    TREParseNode *right = nullptr;
};

// Far above what patterns of realistic size need (a few hundred thousand).
inline constexpr std::size_t kMaxDisjointSteps = 30'000'000;

class TREParseTree {
public:
    TREParseTree() = default;
    virtual ~TREParseTree() = default;
    TREParseTree(const TREParseTree &) = delete;
    TREParseTree &operator=(const TREParseTree &) = delete;

    TREParseNode *Root() const { return root_; }
    void SetRoot(TREParseNode *root) { root_ = root; }

    TREParseNode *MakeNode(NodeOp op, TREParseNode *left = nullptr, TREParseNode *right = nullptr);
    // The one leaf for this exact range (made on first use).
    TREParseNode *MakeLeaf(CharCode low, CharCode high);
    // nullptr when the range is empty (high < low) or outside the code space.
    TREParseNode *MakeLeafIfValid(long low, long high);
    TREParseNode *MakeLineHead(CharCode code);
    TREParseNode *MakeLineTail(CharCode code);
    // Every character except code 0, line feed and carriage return.
    virtual TREParseNode *MakeAnyChar();

    // Turns a leaf into the union of a and b, keeping every reference to it valid.
    void ReplaceByUnion(TREParseNode *leaf, TREParseNode *a, TREParseNode *b);
    // Drops a leaf from the leaf list (its node stays owned by the store).
    void RemoveLeaf(TREParseNode *leaf);
    // Rewrites leaves until any two are disjoint or the same leaf. Throws
    // ERegExpParser when that takes more than maxSteps leaf comparisons.
    void MakeDisjoint(std::size_t maxSteps = kMaxDisjointSteps);
    void Clear();

    // Current leaves in creation order.
    const std::vector<TREParseNode *> &Leaves() const { return leaves_; }

private:
    bool Split(TREParseNode *a, TREParseNode *b);
    static std::uint32_t Key(CharCode low, CharCode high) { return std::uint32_t(low) << 16 | high; }

    TREParseNode *root_ = nullptr;
    std::deque<TREParseNode> nodes_;  // stable addresses
    std::vector<TREParseNode *> leaves_;
    std::unordered_map<std::uint32_t, TREParseNode *> leafByRange_;
};

}  // namespace zr::regex
