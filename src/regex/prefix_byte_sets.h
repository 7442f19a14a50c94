#pragma once
// The bytes each of the first few positions of a match can hold, read off the
// character automaton. Where a pattern has no literal to look for (a fuzzy
// word, an alternation of words) a vectorised test of those positions still
// skips most of a text.

#include <bitset>
#include <cstddef>
#include <vector>

#include "regex/dfa.h"

namespace zr::regex {

using ByteSet = std::bitset<256>;

// One set per position from a match's first byte on, at most maxLength:
// fewer where a match may already end or the text there may hold a line
// break. Empty when not even the first byte is known.
std::vector<ByteSet> PrefixByteSets(const TRE_DFA &dfa, std::size_t maxLength);

// Rough share of positions of mixed Japanese and English text at which every
// set holds its byte.
double CandidateRate(const std::vector<ByteSet> &sets);

}  // namespace zr::regex
