#pragma once
// Deterministic automaton built completely from an NFA by subset construction.
// Each state keeps its range transitions sorted by low code; a flat table over
// character classes answers the same lookups in constant time for the scans.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "regex/nfa.h"

namespace zr::regex {

inline constexpr int kNoState = -1;

struct DfaTransition {
    CharCode low = 0;
    CharCode high = 0;
    int target = kNoState;
};

struct DfaState {
    bool accepting = false;
    std::vector<DfaTransition> transitions;  // sorted by low, stable
};

class TRE_DFA {
public:
    // The NFA is read only by Build(); it may be freed afterwards.
    explicit TRE_DFA(const TRE_NFA &nfa, AutomatonLimits limits = {});

    // Subset construction, sorting, lookup table and literal detection.
    // Throws ERegExpParser when the automaton would pass the limits.
    void Build();

    int Start() const { return start_; }
    std::size_t StateCount() const { return states_.size(); }
    const DfaState &State(int s) const { return states_[s]; }
    bool Accepting(int s) const { return states_[s].accepting; }

    // The reference lookup: walk the sorted transitions, first range holding the code.
    int Transition(int s, CharCode code) const;
    // The same answer from the table (the scans' hot path).
    int Next(int s, CharCode code) const { return table_[std::size_t(s) * classCount_ + classOf_[code]]; }
    // Codes of one class take the same transition from every state.
    std::size_t ClassOf(CharCode code) const { return classOf_[code]; }

    bool IsLiteral() const { return literal_; }
    const std::string &LiteralText() const { return literalText_; }

private:
    void Construct();
    void SortTransitions();
    void BuildTable();
    void DetectLiteral();

    const TRE_NFA *nfa_;  // nullptr once built
    AutomatonLimits limits_;
    std::vector<DfaState> states_;
    int start_ = 0;
    bool literal_ = false;
    std::string literalText_;
    std::vector<std::uint16_t> classOf_;  // code -> character class
    std::size_t classCount_ = 1;
    std::vector<int> table_;  // state * classCount_ + class -> target
};

}  // namespace zr::regex
