#include "regex/dfa.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

#include "regex/nfa_state_set.h"

namespace zr::regex {

namespace {

// True when the code's bytes read back as this one code: a literal text made
// of other codes would match characters the automaton never matches.
bool RoundTrips(CharCode code)
{
    if (code == 0)
        return false;  // stands for the end of the text, never a character of it
    std::string bytes = CharToStr(code);
    std::size_t index = 1;
    try {
        return ReadChar(bytes, index) == code && index == bytes.size() + 1;
    } catch (const ERegExpParser &) {
        return false;
    }
}

// Closes a set under empty transitions, counting the steps taken.
class Closer {
public:
    Closer(const TRE_NFA &nfa, std::size_t &work, std::size_t maxWork)
        : nfa_(nfa), work_(work), maxWork_(maxWork)
    {
    }

    void Close(TRE_NFAStateSet &set, std::vector<int> &members)
    {
        std::vector<int> pending = members;
        while (!pending.empty()) {
            const int n = pending.back();
            pending.pop_back();
            for (const NfaTransition &t : nfa_.Transitions(n)) {
                Count();
                if (!t.empty || set.Has(t.target))
                    continue;
                set.Include(t.target);
                members.push_back(t.target);
                pending.push_back(t.target);
            }
        }
        std::sort(members.begin(), members.end());
    }

    void Count()
    {
        if (++work_ > maxWork_)
            ThrowTooComplex();
    }

private:
    const TRE_NFA &nfa_;
    std::size_t &work_;
    std::size_t maxWork_;
};

struct Move {
    CharCode low, high;
    TRE_NFAStateSet set;
    std::vector<int> members;
};

}  // namespace

TRE_DFA::TRE_DFA(const TRE_NFA &nfa, AutomatonLimits limits) : nfa_(&nfa), limits_(limits) {}

void TRE_DFA::Build()
{
    if (!nfa_)
        return;
    Construct();
    SortTransitions();
    BuildTable();
    DetectLiteral();
    nfa_ = nullptr;
}

void TRE_DFA::Construct()
{
    states_.clear();
    const TRE_NFA &nfa = *nfa_;
    const std::size_t nfaStates = nfa.StateCount();
    std::size_t work = 0;
    Closer closer(nfa, work, limits_.maxDfaWork);
    // The NFA sets live only while building: they identify states.
    std::vector<std::vector<int>> members;
    std::unordered_map<std::string, int> stateBySet;

    std::size_t setMembers = 0;
    // Sets are identified by their sorted member lists.
    auto findOrAdd = [&](const TRE_NFAStateSet &set, std::vector<int> &&list) {
        std::string key(reinterpret_cast<const char *>(list.data()), list.size() * sizeof(int));
        if (auto it = stateBySet.find(key); it != stateBySet.end())
            return it->second;
        setMembers += list.size();
        if (states_.size() >= limits_.maxDfaStates || setMembers > limits_.maxDfaSetMembers)
            ThrowTooComplex();
        const int id = static_cast<int>(states_.size());
        states_.push_back({set.Has(nfa.Final()), {}});
        members.push_back(std::move(list));
        stateBySet.emplace(std::move(key), id);
        return id;
    };

    {
        TRE_NFAStateSet s(nfaStates);
        s.Include(nfa.Start());
        std::vector<int> list{nfa.Start()};
        closer.Close(s, list);
        start_ = findOrAdd(s, std::move(list));
    }

    for (std::size_t current = 0; current < states_.size(); ++current) {
        // Moves grouped by exact range, in order of first appearance.
        std::vector<Move> moves;
        std::unordered_map<std::uint32_t, std::size_t> moveByRange;
        for (const int n : members[current]) {
            for (const NfaTransition &t : nfa.Transitions(n)) {
                closer.Count();
                if (t.empty)
                    continue;
                const std::uint32_t key = std::uint32_t(t.low) << 16 | t.high;
                auto [it, isNew] = moveByRange.try_emplace(key, moves.size());
                if (isNew)
                    moves.push_back({t.low, t.high, TRE_NFAStateSet(nfaStates), {}});
                Move &m = moves[it->second];
                if (!m.set.Has(t.target)) {
                    m.set.Include(t.target);
                    m.members.push_back(t.target);
                }
            }
        }
        // Targets are numbered newest move first; the transition list keeps
        // the moves in order of first appearance.
        std::vector<DfaTransition> transitions(moves.size());
        for (std::size_t i = moves.size(); i-- > 0;) {
            Move &m = moves[i];
            closer.Close(m.set, m.members);
            transitions[i] = {m.low, m.high, findOrAdd(m.set, std::move(m.members))};
        }
        states_[current].transitions = std::move(transitions);
    }
}

void TRE_DFA::SortTransitions()
{
    for (DfaState &s : states_)
        std::stable_sort(s.transitions.begin(), s.transitions.end(),
                         [](const DfaTransition &x, const DfaTransition &y) { return x.low < y.low; });
}

int TRE_DFA::Transition(int s, CharCode code) const
{
    for (const DfaTransition &t : states_[s].transitions) {
        if (code < t.low)
            return kNoState;
        if (code <= t.high)
            return t.target;
    }
    return kNoState;
}

// Cuts the code space at every range end, so all codes of one class take the
// same transition from every state; each state's row is then painted from its
// last transition to its first, so the first range holding a code wins.
void TRE_DFA::BuildTable()
{
    std::vector<std::uint32_t> cuts{0};
    for (const DfaState &s : states_)
        for (const DfaTransition &t : s.transitions) {
            cuts.push_back(t.low);
            cuts.push_back(std::uint32_t(t.high) + 1);
        }
    std::sort(cuts.begin(), cuts.end());
    cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
    if (cuts.back() == 0x10000)
        cuts.pop_back();

    classCount_ = cuts.size();
    if (classCount_ * std::max<std::size_t>(states_.size(), 1) > limits_.maxDfaTableCells)
        ThrowTooComplex();
    classOf_.assign(0x10000, 0);
    for (std::size_t c = 0; c < cuts.size(); ++c) {
        const std::uint32_t end = (c + 1 < cuts.size()) ? cuts[c + 1] : 0x10000;
        std::fill(classOf_.begin() + cuts[c], classOf_.begin() + end, static_cast<std::uint16_t>(c));
    }
    table_.assign(classCount_ * states_.size(), kNoState);
    for (std::size_t s = 0; s < states_.size(); ++s) {
        int *row = table_.data() + s * classCount_;
        const auto &list = states_[s].transitions;
        for (auto t = list.rbegin(); t != list.rend(); ++t)
            std::fill(row + classOf_[t->low], row + classOf_[t->high] + 1, t->target);
    }
}

void TRE_DFA::DetectLiteral()
{
    literal_ = false;
    literalText_.clear();
    std::string text;
    int s = start_;
    // A chain longer than the state count has looped: not a literal.
    for (std::size_t steps = 0; steps <= states_.size(); ++steps) {
        const DfaState &state = states_[s];
        if (state.transitions.empty()) {
            literal_ = true;
            literalText_ = std::move(text);
            return;
        }
        const DfaTransition &t = state.transitions.front();
        if (state.transitions.size() > 1 || t.low != t.high || state.accepting || !RoundTrips(t.low))
            return;
        text += CharToStr(t.low);
        s = t.target;
    }
}

}  // namespace zr::regex
