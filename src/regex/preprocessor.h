#pragma once
// Rewrites a pattern before it is parsed: every plain character, or short run
// of plain characters, found in a dictionary row becomes a group accepting
// every entry of that row. Synonym dictionaries apply first, then the fuzzy
// ones. Class contents, metacharacters and anchors are copied as written.

#include "regex/preprocessor_dictionary.h"
#include "regex/scanner.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace zr::regex {

class TREPreProcessor {
public:
    // The dictionary lists hold dictionaries owned elsewhere.
    using DictionaryList = std::vector<const TREDictionary *>;

    explicit TREPreProcessor(std::string pattern = {});

    void SetPattern(std::string pattern);
    // Computes Output(); scanner errors (ERegExpParser) pass to the caller
    // with their position in the pattern as written.
    void Run();
    const std::string &Output() const { return output_; }

    DictionaryList &SynonymDics() { return synonymDics_; }
    DictionaryList &FuzzyCharDics() { return fuzzyCharDics_; }

    bool UseFuzzyCharDic() const { return useFuzzyCharDic_; }
    void SetUseFuzzyCharDic(bool on) { useFuzzyCharDic_ = on; }
    bool UseSynonymDic() const { return useSynonymDic_; }
    void SetUseSynonymDic(bool on) { useSynonymDic_ = on; }

private:
    struct Token {
        TokenKind kind = tkEnd;
        CharCode code = 0;
        CharCode rangeEnd = 0;
        std::size_t start = 0;  // 1-based index of the token's first byte
        std::size_t end = 0;    // index just after it
    };

    std::string Apply(const DictionaryList &dictionaries);
    void Tokenise();
    std::string TokenText(const Token &token) const;
    std::size_t EndOfPlainRun(std::size_t i) const;
    std::optional<std::size_t> Lookup(const DictionaryList &dictionaries, std::size_t i, std::size_t j);
    std::optional<std::size_t> MatchEntry(const std::string &entry, std::size_t i, std::size_t j) const;
    static std::string GroupOf(const TREDictionaryRow &row);

    TREScanner scanner_;
    std::string output_;
    DictionaryList synonymDics_;
    DictionaryList fuzzyCharDics_;
    std::vector<Token> tokens_;
    std::string replacement_;
    bool useFuzzyCharDic_ = false;
    bool useSynonymDic_ = false;
};

}  // namespace zr::regex
