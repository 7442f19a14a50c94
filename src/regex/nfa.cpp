#include "regex/nfa.h"

#include <algorithm>
#include <stdexcept>

namespace zr::regex {

TRE_NFA::TRE_NFA(const TREParseTree &tree, CharCode lineHeadCode, CharCode lineTailCode,
                 AutomatonLimits limits)
    : tree_(tree), lineHeadCode_(lineHeadCode), lineTailCode_(lineTailCode), limits_(limits)
{
}

int TRE_NFA::NewState()
{
    if (states_.size() >= limits_.maxNfaStates)
        ThrowTooComplex();
    states_.emplace_back();
    return static_cast<int>(states_.size() - 1);
}

void TRE_NFA::AddTransition(int from, const NfaTransition &t)
{
    if (++transitionCount_ > limits_.maxNfaTransitions)
        ThrowTooComplex();
    states_[from].push_back(t);
}

void TRE_NFA::AddRange(int from, int to, CharCode low, CharCode high)
{
    AddTransition(from, {low, high, false, to});
}

void TRE_NFA::AddEmpty(int from, int to) { AddTransition(from, {0, 0, true, to}); }

// Generates the paths each node matches between two states. An explicit task
// stack replaces recursion (trees may be as deep as the pattern is long); tasks
// run in the same order recursion would, so transitions keep their order.
void TRE_NFA::Build()
{
    states_.clear();
    transitionCount_ = 0;
    start_ = NewState();
    final_ = NewState();

    struct Task {
        const TREParseNode *node;  // nullptr: an empty move a -> b, queued behind a star's body
        int a, b;
    };
    std::vector<Task> tasks;
    if (tree_.Root())
        tasks.push_back({tree_.Root(), start_, final_});
    while (!tasks.empty()) {
        const Task task = tasks.back();
        tasks.pop_back();
        const TREParseNode *n = task.node;
        const int a = task.a, b = task.b;
        if (!n) {
            AddEmpty(a, b);
            continue;
        }
        switch (n->op) {
        case opLeaf:
            AddRange(a, b, n->low, n->high);
            break;
        case opLineHead:
            if (a == start_)
                AddRange(a, b, lineHeadCode_, lineHeadCode_);
            else
                AddRange(a, b, n->low, n->high);
            break;
        case opLineTail:
            if (b == final_)
                AddRange(a, b, lineTailCode_, lineTailCode_);
            else
                AddRange(a, b, n->low, n->high);
            break;
        case opConcat: {
            const int c = NewState();
            tasks.push_back({n->right, c, b});
            tasks.push_back({n->left, a, c});
            break;
        }
        case opUnion:
            tasks.push_back({n->right, a, b});
            tasks.push_back({n->left, a, b});
            break;
        case opStar: {
            const int c = NewState();
            const int d = NewState();
            AddEmpty(a, c);
            // After the body: empty d -> c, then empty c -> b.
            tasks.push_back({nullptr, c, b});
            tasks.push_back({nullptr, d, c});
            tasks.push_back({n->left, c, d});
            break;
        }
        case opEmpty:
            AddEmpty(a, b);
            break;
        case opNever:
            break;
        default:
            throw std::logic_error("This cannot happen in TRE_NFA.GenerateStateList");
        }
    }
    // Transitions were appended; the automaton reads them newest first.
    for (auto &list : states_)
        std::reverse(list.begin(), list.end());
}

}  // namespace zr::regex
