#pragma once
// Turns a pattern into a DFA and keeps the DFAs of recently used patterns.
// The cache is keyed on the expanded pattern (after the preprocessor); item 0
// is always the empty pattern, new patterns enter at index 1 and the last
// item leaves when the cache is full.

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "regex/dfa.h"
#include "regex/preprocessor.h"

namespace zr::regex {

class TRegularExpression {
public:
    static constexpr std::size_t kCacheCapacity = 30;

    TRegularExpression();
    virtual ~TRegularExpression() = default;
    TRegularExpression(const TRegularExpression &) = delete;
    TRegularExpression &operator=(const TRegularExpression &) = delete;

    const std::string &RegExp() const { return regExp_; }
    // Expands, looks up or compiles the pattern. Throws ERegExpParser; after a
    // parse or compile error RegExp() is "" and the empty pattern is current,
    // after an error in the expansion nothing changes.
    virtual void SetRegExp(const std::string &value);

    // Shared so a running scan keeps its DFA even if the cache drops it.
    std::shared_ptr<const TRE_DFA> CurrentDfa() const { return cache_[current_].dfa; }

    std::size_t CacheCount() const { return cache_.size(); }
    const std::string &CacheText(std::size_t index) const { return cache_[index].text; }
    std::size_t CurrentIndex() const { return current_; }

protected:
    // Builds the DFA of the current cache item.
    virtual void Compile(const std::string &text);
    // Codes an anchoring "^" and "$" stand for.
    virtual CharCode LineHeadCode() const { return 0xFFFD; }
    virtual CharCode LineTailCode() const { return 0xFFFE; }

    TREPreProcessor &PreProcessor() { return preProcessor_; }
    const TREPreProcessor &PreProcessor() const { return preProcessor_; }

private:
    struct CacheItem {
        std::string text;
        std::shared_ptr<const TRE_DFA> dfa;
    };

    void Activate(const std::string &expanded);

    std::string regExp_;
    std::vector<CacheItem> cache_;
    std::size_t current_ = 0;
    TREPreProcessor preProcessor_;
};

}  // namespace zr::regex
