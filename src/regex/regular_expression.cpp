#include "regex/regular_expression.h"

#include <algorithm>

#include "regex/nfa.h"
#include "regex/parser.h"

namespace zr::regex {

TRegularExpression::TRegularExpression()
{
    cache_.push_back({std::string(), nullptr});
    Compile(std::string());
}

void TRegularExpression::SetRegExp(const std::string &value)
{
    preProcessor_.SetPattern(value);
    preProcessor_.Run();
    try {
        Activate(preProcessor_.Output());
        regExp_ = value;
    } catch (...) {
        current_ = 0;
        regExp_.clear();
        throw;
    }
}

void TRegularExpression::Activate(const std::string &expanded)
{
    const auto found = std::find_if(cache_.begin(), cache_.end(),
                                    [&](const CacheItem &item) { return item.text == expanded; });
    if (found != cache_.end()) {
        current_ = static_cast<std::size_t>(found - cache_.begin());
        return;
    }
    if (cache_.size() >= kCacheCapacity)
        cache_.pop_back();
    cache_.insert(cache_.begin() + 1, {expanded, nullptr});
    current_ = 1;
    Compile(expanded);
}

void TRegularExpression::Compile(const std::string &text)
{
    try {
        TREParser parser(text);
        parser.Parse();
        TRE_NFA nfa(parser.Tree(), LineHeadCode(), LineTailCode());
        nfa.Build();
        auto dfa = std::make_shared<TRE_DFA>(nfa);
        dfa->Build();
        cache_[current_].dfa = std::move(dfa);
    } catch (...) {
        if (current_ != 0)
            cache_.erase(cache_.begin() + static_cast<std::ptrdiff_t>(current_));
        current_ = 0;
        throw;
    }
}

}  // namespace zr::regex
