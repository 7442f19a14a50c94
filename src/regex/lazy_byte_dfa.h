#pragma once
// A byte automaton built lazily from a character DFA for the fast scan. One
// state stands for every match attempt in progress: the character-DFA states
// reached from all earlier character starts (after at least one character),
// plus the lead byte of a double-byte character that has not been completed.
// A new attempt starts implicitly at every character boundary, so the scan
// needs no restart loop, and the states are made only as the text asks for
// them, in a cache of bounded size.
//
// The text it reads is normalised by the caller except for one thing: a CR
// is always followed by an LF (lone ones have become LFs) and is skipped, as
// the designed reader skips it.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "regex/dfa.h"

namespace zr::regex {

struct LazyDfaLimits {
    std::size_t maxStates = 2048;          // rows of 1 KiB each
    std::size_t maxSetMembers = 1u << 20;  // character-DFA states held by all rows together
};

class TLazyByteDfa {
public:
    using Limits = LazyDfaLimits;
    // Table entries with this bit set are not states: a match or a transition
    // not yet computed.
    static constexpr std::uint32_t kSpecialBit = 0x80000000u;
    static constexpr std::uint32_t kMatch = 0x80000000u;
    static constexpr std::uint32_t kUnknown = 0xFFFFFFFFu;
    static constexpr std::size_t kRowSize = 256;

    explicit TLazyByteDfa(std::shared_ptr<const TRE_DFA> dfa, Limits limits = {});

    // True when no match can run through a line feed other than as its first
    // or last character: then every line can be decided on its own, from the
    // line feed before it to the one after it.
    bool LinesAreIndependent() const { return linesIndependent_; }

    // The state before any character (a line feed is read first).
    static constexpr std::uint32_t kFresh = 0;
    // The row of a state: Table()[state + byte] is the next state or a special entry.
    const std::uint32_t *Table() const { return table_.data(); }

    // Computes an unknown transition. When the cache is full it is cleared
    // first; the states in `keep` (and `from`) are carried over and renumbered
    // in place, every other state number becomes invalid.
    std::uint32_t Compute(std::uint32_t from, unsigned char byte, std::uint32_t *keep = nullptr,
                          std::size_t keepCount = 0);

    std::size_t StateCount() const { return states_.size(); }
    std::size_t CacheResets() const { return resets_; }

private:
    struct State {
        std::vector<int> set;  // sorted character-DFA states, live ones only
        int leadGroup = -1;    // pending lead byte's group, -1 for none
    };

    void AnalyseAutomaton();
    void GroupBytes();
    std::uint32_t AddState(State state);
    std::uint32_t Step(const std::vector<int> &set, CharCode code);
    std::uint32_t Target(const State &from, unsigned char byte);
    void Reset(std::uint32_t &from, std::uint32_t *keep, std::size_t keepCount);
    static std::string Key(const State &state);

    std::shared_ptr<const TRE_DFA> dfa_;
    Limits limits_;
    std::vector<bool> live_;  // an accepting state is reachable
    bool linesIndependent_ = false;

    std::uint8_t byteClass_[256] = {};
    std::vector<unsigned char> classBytes_;  // a representative byte per class
    std::vector<std::vector<unsigned char>> bytesOfClass_;
    int leadGroupOf_[256] = {};
    std::vector<unsigned char> groupLead_;  // a representative lead byte per group

    std::vector<State> states_;
    std::unordered_map<std::string, std::uint32_t> stateByKey_;
    std::vector<std::uint32_t> table_;
    std::size_t setMembers_ = 0;
    std::size_t resets_ = 0;
    std::vector<int> scratch_;
};

}  // namespace zr::regex
