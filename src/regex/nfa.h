#pragma once
// Nondeterministic automaton built from a parse tree: transitions on code
// ranges and empty transitions.

#include <cstddef>
#include <vector>

#include "regex/nfa_limits.h"
#include "regex/parse_tree.h"

namespace zr::regex {

struct NfaTransition {
    CharCode low = 0;
    CharCode high = 0;
    bool empty = false;  // an empty (epsilon) transition; low and high unused
    int target = 0;
};

class TRE_NFA {
public:
    TRE_NFA(const TREParseTree &tree, CharCode lineHeadCode, CharCode lineTailCode,
            AutomatonLimits limits = {});

    // Start is state 0, final state 1. Throws ERegExpParser when over the limits.
    void Build();

    std::size_t StateCount() const { return states_.size(); }
    int Start() const { return start_; }
    int Final() const { return final_; }
    // A state's transitions, the most recently added first.
    const std::vector<NfaTransition> &Transitions(int state) const { return states_[state]; }

private:
    int NewState();
    void AddRange(int from, int to, CharCode low, CharCode high);
    void AddEmpty(int from, int to);
    void AddTransition(int from, const NfaTransition &t);

    const TREParseTree &tree_;
    CharCode lineHeadCode_;
    CharCode lineTailCode_;
    AutomatonLimits limits_;
    std::vector<std::vector<NfaTransition>> states_;
    std::size_t transitionCount_ = 0;
    int start_ = 0;
    int final_ = 1;
};

}  // namespace zr::regex
