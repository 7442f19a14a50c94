#include "filefind/wildcard_match.h"

#include "platform/mbchar.h"

#include <vector>

namespace zr {

namespace {
char FoldAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool SameUnit(std::string_view a, std::string_view b, bool foldCase)
{
    if (a.size() != b.size())
        return false;
    if (a.size() > 1)
        foldCase = false;  // bytes of a multi-byte character are no letters
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (foldCase ? FoldAscii(a[i]) != FoldAscii(b[i]) : a[i] != b[i])
            return false;
    }
    return true;
}

// Greedy matching that backtracks only to the last "*": linear in practice
// and never exponential, whatever the number of stars.
template <typename Units>
bool MatchUnits(const Units &text, const Units &pattern, bool foldCase)
{
    std::size_t t = 0, p = 0;
    std::size_t starP = std::string_view::npos, starT = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == "*") {
            starP = p++;
            starT = t;
        } else if (p < pattern.size() && (pattern[p] == "?" || SameUnit(pattern[p], text[t], foldCase))) {
            ++t;
            ++p;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            t = ++starT;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == "*")
        ++p;
    return p == pattern.size();
}

// Every byte one unit, without copying the text.
class Bytes {
public:
    explicit Bytes(std::string_view text) : text_(text) {}
    std::size_t size() const { return text_.size(); }
    std::string_view operator[](std::size_t i) const { return text_.substr(i, 1); }

private:
    std::string_view text_;
};

std::vector<std::string_view> Characters(std::string_view text)
{
    std::vector<std::string_view> units;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t len = platform::CharLengthAt(text, i);
        units.push_back(text.substr(i, len));
        i += len;
    }
    return units;
}
}  // namespace

bool WildcardMatch(std::string_view text, std::string_view pattern)
{
    if (pattern.empty())
        return true;
    return MatchUnits(Bytes(text), Bytes(pattern), false);
}

bool MatchesNamePattern(std::string_view name, std::string_view pattern)
{
    const auto units = Characters(name);
    if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*" &&
        MatchUnits(units, Characters(pattern.substr(0, pattern.size() - 2)), true))
        return true;
    return MatchUnits(units, Characters(pattern), true);
}

}  // namespace zr
