#include "regex/preprocessor.h"

namespace zr::regex {

TREPreProcessor::TREPreProcessor(std::string pattern) : scanner_(std::move(pattern)) {}

void TREPreProcessor::SetPattern(std::string pattern) { scanner_.SetPattern(std::move(pattern)); }

void TREPreProcessor::Run()
{
    output_ = scanner_.Pattern();
    if (useSynonymDic_) {
        output_ = Apply(synonymDics_);
        scanner_.SetPattern(output_);
    }
    if (useFuzzyCharDic_)
        output_ = Apply(fuzzyCharDics_);
}

void TREPreProcessor::Tokenise()
{
    tokens_.clear();
    // Always scan from the pattern's start, also when Run is repeated.
    scanner_.SetPattern(std::string(scanner_.Pattern()));
    std::size_t start = scanner_.Position();
    for (;;) {
        const TokenKind kind = scanner_.NextToken();
        if (kind == tkEnd)
            break;
        tokens_.push_back({kind, scanner_.Code(), scanner_.RangeEnd(), start, scanner_.Position()});
        start = scanner_.Position();
    }
    tokens_.push_back({});
}

std::string TREPreProcessor::TokenText(const Token &token) const
{
    if (token.end <= token.start)
        return {};
    return scanner_.Pattern().substr(token.start - 1, token.end - token.start);
}

std::size_t TREPreProcessor::EndOfPlainRun(std::size_t i) const
{
    while (i < tokens_.size() && tokens_[i].kind == tkChar)
        ++i;
    return i;
}

std::string TREPreProcessor::Apply(const DictionaryList &dictionaries)
{
    std::string out;
    Tokenise();
    bool inClass = false;
    std::size_t i = 0;
    while (i < tokens_.size()) {
        const Token &token = tokens_[i];
        if (token.kind == tkClassStart || token.kind == tkNegClassStart)
            inClass = true;
        else if (token.kind == tkClassEnd)
            inClass = false;
        if (token.kind != tkChar || inClass) {
            out += TokenText(token);
            ++i;
            continue;
        }
        const std::size_t j = EndOfPlainRun(i);
        while (i < j) {
            if (std::optional<std::size_t> next = Lookup(dictionaries, i, j)) {
                out += replacement_;
                i = *next;
            } else {
                out += TokenText(tokens_[i]);
                ++i;
            }
        }
    }
    return out;
}

// The first row, in dictionary and row order, with an entry matching at token
// i wins; that entry decides how many tokens the group replaces.
std::optional<std::size_t> TREPreProcessor::Lookup(const DictionaryList &dictionaries, std::size_t i,
                                                   std::size_t j)
{
    for (const TREDictionary *dictionary : dictionaries) {
        for (const TREDictionaryRow &row : *dictionary) {
            for (const std::string &entry : row) {
                if (std::optional<std::size_t> next = MatchEntry(entry, i, j)) {
                    replacement_ = GroupOf(row);
                    return next;
                }
            }
        }
    }
    return std::nullopt;
}

std::optional<std::size_t> TREPreProcessor::MatchEntry(const std::string &entry, std::size_t i,
                                                       std::size_t j) const
{
    if (entry.empty())
        return std::nullopt;
    std::size_t k = i;
    std::size_t index = 1;
    while (index <= entry.size()) {
        const CharCode code = ReadChar(entry, index);
        if (k >= j || tokens_[k].code != code)
            return std::nullopt;
        ++k;
    }
    return k;
}

std::string TREPreProcessor::GroupOf(const TREDictionaryRow &row)
{
    std::string group = "(";
    for (std::size_t e = 0; e < row.size(); ++e) {
        if (e > 0)
            group += '|';
        group += QuoteMeta(row[e]);
    }
    group += ')';
    return group;
}

}  // namespace zr::regex
