#pragma once
// Recursive-descent parser from a pattern's tokens to a parse tree whose
// character leaves are pairwise disjoint.

#include <string>

#include "regex/parse_tree.h"
#include "regex/scanner.h"

namespace zr::regex {

// Groups nested deeper than this are refused, so parsing cannot exhaust the stack.
inline constexpr int kMaxGroupNesting = 500;

namespace msg {
inline constexpr const char *kNestedTooDeep = "括弧の入れ子が深すぎます";
}

class TREParser {
public:
    explicit TREParser(std::string pattern);

    // Builds the tree; on return Tree().Root() is set. Throws ERegExpParser.
    void Parse();

    TREParseTree &Tree() { return tree_; }
    const TREParseTree &Tree() const { return tree_; }

private:
    void Next() { scanner_.NextToken(); }
    TokenKind Current() const { return scanner_.Kind(); }
    [[noreturn]] void Fail(const char *message) const;

    TREParseNode *Regexp();
    TREParseNode *Term();
    TREParseNode *Factor();
    TREParseNode *Primary();
    TREParseNode *Group();
    TREParseNode *Class(TREParseTree &into);
    TREParseNode *ClassItem(TREParseTree &into);
    TREParseNode *NegatedClass();

    TREScanner scanner_;
    TREParseTree tree_;
    int nesting_ = 0;
};

}  // namespace zr::regex
