#include "regex/lazy_byte_dfa.h"

#include <algorithm>
#include <map>

#include "platform/mbchar.h"

namespace zr::regex {

namespace {

bool IsLead(unsigned char c) { return platform::IsCp932LeadByte(c); }

// The caller turns NUL bytes into spaces; the table answers for them anyway.
CharCode AsRead(unsigned char c) { return c == 0 ? CharCode(' ') : CharCode(c); }

}  // namespace

TLazyByteDfa::TLazyByteDfa(std::shared_ptr<const TRE_DFA> dfa, Limits limits)
    : dfa_(std::move(dfa)), limits_(limits)
{
    AnalyseAutomaton();
    GroupBytes();
    AddState({});
}

void TLazyByteDfa::AnalyseAutomaton()
{
    const TRE_DFA &dfa = *dfa_;
    const std::size_t n = dfa.StateCount();
    std::vector<std::vector<int>> sources(n);
    for (std::size_t s = 0; s < n; ++s)
        for (const DfaTransition &t : dfa.State(int(s)).transitions)
            if (t.target != kNoState)
                sources[std::size_t(t.target)].push_back(int(s));
    live_.assign(n, false);
    std::vector<int> pending;
    for (std::size_t s = 0; s < n; ++s)
        if (dfa.Accepting(int(s))) {
            live_[s] = true;
            pending.push_back(int(s));
        }
    while (!pending.empty()) {
        const int s = pending.back();
        pending.pop_back();
        for (const int from : sources[std::size_t(s)])
            if (!live_[std::size_t(from)]) {
                live_[std::size_t(from)] = true;
                pending.push_back(from);
            }
    }

    // Walk the states an attempt can be in after one character or more (an
    // attempt ends at its first accepting state) and look for a line feed
    // that leads on to a state that may still accept.
    linesIndependent_ = true;
    std::vector<bool> seen(n, false);
    auto enter = [&](int t) {
        if (t != kNoState && live_[std::size_t(t)] && !dfa.Accepting(t) && !seen[std::size_t(t)]) {
            seen[std::size_t(t)] = true;
            pending.push_back(t);
        }
    };
    for (const DfaTransition &t : dfa.State(dfa.Start()).transitions)
        enter(t.target);
    while (!pending.empty()) {
        const int s = pending.back();
        pending.pop_back();
        const int afterBreak = dfa.Next(s, '\n');
        if (afterBreak != kNoState && live_[std::size_t(afterBreak)] && !dfa.Accepting(afterBreak))
            linesIndependent_ = false;
        for (const DfaTransition &t : dfa.State(s).transitions)
            enter(t.target);
    }
}

// Bytes that behave alike everywhere share a class, so one computed
// transition fills every byte of its class.
void TLazyByteDfa::GroupBytes()
{
    const TRE_DFA &dfa = *dfa_;
    std::map<std::vector<std::size_t>, int> groups;
    for (int b = 0; b < 256; ++b) {
        if (!IsLead(static_cast<unsigned char>(b)))
            continue;
        std::vector<std::size_t> key{dfa.ClassOf(CharCode(b))};
        for (int t = 0; t < 256; ++t)
            key.push_back(dfa.ClassOf(CharCode(b << 8 | AsRead(static_cast<unsigned char>(t)))));
        auto [it, added] = groups.try_emplace(std::move(key), int(groupLead_.size()));
        if (added)
            groupLead_.push_back(static_cast<unsigned char>(b));
        leadGroupOf_[b] = it->second;
    }
    std::map<std::vector<std::size_t>, int> classes;
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<unsigned char>(b);
        const std::size_t kind = byte == '\n' ? 2 : byte == '\r' ? 3 : IsLead(byte) ? 1 : 0;
        std::vector<std::size_t> key{kind, dfa.ClassOf(AsRead(byte))};
        if (kind == 1)
            key.push_back(std::size_t(leadGroupOf_[b]));
        for (const unsigned char lead : groupLead_)
            key.push_back(dfa.ClassOf(CharCode(lead << 8 | AsRead(byte))));
        auto [it, added] = classes.try_emplace(std::move(key), int(classBytes_.size()));
        if (added) {
            classBytes_.push_back(byte);
            bytesOfClass_.emplace_back();
        }
        byteClass_[b] = static_cast<std::uint8_t>(it->second);
        bytesOfClass_[std::size_t(it->second)].push_back(byte);
    }
}

std::string TLazyByteDfa::Key(const State &state)
{
    std::string key(reinterpret_cast<const char *>(&state.leadGroup), sizeof state.leadGroup);
    key.append(reinterpret_cast<const char *>(state.set.data()), state.set.size() * sizeof(int));
    return key;
}

std::uint32_t TLazyByteDfa::AddState(State state)
{
    std::string key = Key(state);
    if (auto it = stateByKey_.find(key); it != stateByKey_.end())
        return it->second;
    const auto offset = static_cast<std::uint32_t>(states_.size() * kRowSize);
    setMembers_ += state.set.size();
    states_.push_back(std::move(state));
    table_.resize(table_.size() + kRowSize, kUnknown);
    table_[offset + '\r'] = offset;  // CR before LF is skipped
    stateByKey_.emplace(std::move(key), offset);
    return offset;
}

// One character read by every attempt in the set and by a new one starting here.
std::uint32_t TLazyByteDfa::Step(const std::vector<int> &set, CharCode code)
{
    const TRE_DFA &dfa = *dfa_;
    std::vector<int> next;
    next.reserve(set.size() + 1);
    auto advance = [&](int s) {
        const int t = dfa.Next(s, code);
        if (t == kNoState || !live_[std::size_t(t)])
            return false;
        if (dfa.Accepting(t))
            return true;
        next.push_back(t);
        return false;
    };
    if (advance(dfa.Start()))
        return kMatch;
    for (const int s : set)
        if (advance(s))
            return kMatch;
    std::sort(next.begin(), next.end());
    next.erase(std::unique(next.begin(), next.end()), next.end());
    scratch_ = std::move(next);
    return 0;
}

std::uint32_t TLazyByteDfa::Target(const State &from, unsigned char byte)
{
    if (from.leadGroup < 0) {
        if (IsLead(byte))
            return AddState({from.set, leadGroupOf_[byte]});
        if (Step(from.set, AsRead(byte)) == kMatch)
            return kMatch;
        return AddState({std::move(scratch_), -1});
    }
    const unsigned char lead = groupLead_[std::size_t(from.leadGroup)];
    if (byte == '\n') {
        // A lead byte before a line break is a character of its own.
        if (Step(from.set, lead) == kMatch)
            return kMatch;
        const std::vector<int> alone = std::move(scratch_);
        if (Step(alone, '\n') == kMatch)
            return kMatch;
        return AddState({std::move(scratch_), -1});
    }
    if (Step(from.set, CharCode(lead << 8 | AsRead(byte))) == kMatch)
        return kMatch;
    return AddState({std::move(scratch_), -1});
}

void TLazyByteDfa::Reset(std::uint32_t &from, std::uint32_t *keep, std::size_t keepCount)
{
    ++resets_;
    State saved = states_[from / kRowSize];
    std::vector<State> kept;
    for (std::size_t i = 0; i < keepCount; ++i)
        kept.push_back(states_[keep[i] / kRowSize]);
    states_.clear();
    stateByKey_.clear();
    table_.clear();
    setMembers_ = 0;
    AddState({});
    from = AddState(std::move(saved));
    for (std::size_t i = 0; i < keepCount; ++i)
        keep[i] = AddState(std::move(kept[i]));
}

std::uint32_t TLazyByteDfa::Compute(std::uint32_t from, unsigned char byte, std::uint32_t *keep,
                                    std::size_t keepCount)
{
    if (states_.size() + keepCount + 2 >= limits_.maxStates || setMembers_ >= limits_.maxSetMembers)
        Reset(from, keep, keepCount);
    const State state = states_[from / kRowSize];
    const std::uint32_t target = Target(state, byte);
    for (const unsigned char b : bytesOfClass_[byteClass_[byte]])
        table_[from + b] = target;
    return target;
}

}  // namespace zr::regex
