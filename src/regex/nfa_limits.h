#pragma once
// Bounds that keep compiling any pattern finite in time and memory. Realistic
// patterns (fuzzy expansions of 40 characters included) stay far below them.

#include <cstddef>

#include "regex/scanner_error.h"

namespace zr::regex {

struct AutomatonLimits {
    std::size_t maxNfaStates = 200000;
    std::size_t maxNfaTransitions = 1000000;
    std::size_t maxDfaStates = 100000;
    // NFA state numbers held by all DFA states' sets together.
    std::size_t maxDfaSetMembers = 4u << 20;
    // Closure and move steps of the subset construction.
    std::size_t maxDfaWork = 30000000;
    // Cells of the DFA's lookup table (states x character classes).
    std::size_t maxDfaTableCells = 16u << 20;
};

namespace msg {
inline constexpr const char *kTooComplex =
    "正規表現が複雑すぎます（オートマトンが処理の上限を超えるため検索できません）";
}

[[noreturn]] inline void ThrowTooComplex() { throw ERegExpParser(msg::kTooComplex, 0); }

}  // namespace zr::regex
