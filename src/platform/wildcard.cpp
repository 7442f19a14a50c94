#include "platform/wildcard.h"

#include "platform/mbchar.h"

namespace zr::platform {

namespace {

char FoldAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Walks a string one character of the system code page at a time without
// copying it.
class CharCursor {
public:
    explicit CharCursor(std::string_view text, std::size_t pos = 0) : text_(text), pos_(pos) {}
    bool atEnd() const { return pos_ >= text_.size(); }
    std::string_view current() const { return text_.substr(pos_, CharLengthAt(text_, pos_)); }
    void advance() { pos_ += CharLengthAt(text_, pos_); }
    std::size_t position() const { return pos_; }

private:
    std::string_view text_;
    std::size_t pos_;
};

bool SameChar(std::string_view a, std::string_view b, LetterCase letterCase)
{
    if (a.size() != b.size())
        return false;
    if (a.size() == 1 && letterCase == LetterCase::IgnoreAscii)
        return FoldAscii(a[0]) == FoldAscii(b[0]);
    return a == b;
}

}  // namespace

// Greedy matching that backtracks only to the last "*": linear in practice and
// never exponential, whatever the number of stars.
bool WildcardMatch(std::string_view text, std::string_view pattern, LetterCase letterCase)
{
    if (pattern.empty())
        return true;
    CharCursor t(text), p(pattern);
    bool haveStar = false;
    CharCursor starP(pattern), starT(text);
    while (!t.atEnd()) {
        if (!p.atEnd() && p.current() == "*") {
            haveStar = true;
            p.advance();
            starP = p;
            starT = t;
        } else if (!p.atEnd() && (p.current() == "?" || SameChar(p.current(), t.current(), letterCase))) {
            t.advance();
            p.advance();
        } else if (haveStar) {
            starT.advance();
            t = starT;
            p = starP;
        } else {
            return false;
        }
    }
    while (!p.atEnd() && p.current() == "*")
        p.advance();
    return p.atEnd();
}

bool MatchesNamePattern(std::string_view name, std::string_view pattern)
{
    // An empty name pattern names only the empty name, unlike the text matcher.
    const auto matches = [name](std::string_view p) {
        return p.empty() ? name.empty() : WildcardMatch(name, p, LetterCase::IgnoreAscii);
    };
    if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*" &&
        matches(pattern.substr(0, pattern.size() - 2)))
        return true;
    return matches(pattern);
}

}  // namespace zr::platform
