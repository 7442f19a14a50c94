#pragma once
// Compiles patterns for the automaton tests and runs them over code sequences.

#include <memory>
#include <string>
#include <vector>

#include "regex/dfa.h"
#include "regex/nfa.h"
#include "regex/parser.h"

namespace zr::regex::testing {

struct Compiled {
    std::unique_ptr<TREParser> parser;
    std::unique_ptr<TRE_NFA> nfa;
    std::unique_ptr<TRE_DFA> dfa;
};

inline Compiled CompileForTest(const std::string &pattern, CharCode head = 10, CharCode tail = 10,
                               AutomatonLimits limits = {})
{
    Compiled c;
    c.parser = std::make_unique<TREParser>(pattern);
    c.parser->Parse();
    c.nfa = std::make_unique<TRE_NFA>(c.parser->Tree(), head, tail, limits);
    c.nfa->Build();
    c.dfa = std::make_unique<TRE_DFA>(*c.nfa, limits);
    c.dfa->Build();
    return c;
}

// True when the whole code sequence leads from the start state to an accepting state.
inline bool Accepts(const TRE_DFA &dfa, const std::vector<CharCode> &codes)
{
    int s = dfa.Start();
    for (CharCode c : codes) {
        s = dfa.Next(s, c);
        if (s == kNoState)
            return false;
    }
    return dfa.Accepting(s);
}

inline bool AcceptsPattern(const std::string &pattern, const std::vector<CharCode> &codes)
{
    return Accepts(*CompileForTest(pattern).dfa, codes);
}

}  // namespace zr::regex::testing
