#pragma once
// The built-in fuzzy-character dictionary: each row lists characters (or short
// character sequences) that a fuzzy search treats as the same: letter case,
// full- and half-width forms, hiragana / katakana / half-width katakana, small
// and large kana, voiced kana and their base-plus-mark spellings, digits and
// punctuation. Row order matters: the first row with a matching entry wins.

#include "regex/preprocessor_dictionary.h"

#include <cstddef>
#include <span>

namespace zr::regex {

inline constexpr std::size_t kFuzzyCharRowCount = 145;

// The rows as UTF-8 comma text, in table order.
std::span<const char *const> FuzzyCharTableSource();

// The table as CP932 entries, built once on first use and shared by every
// grep component. Throws std::logic_error if a row cannot be held in CP932.
const TREDictionary &FuzzyCharTable();

}  // namespace zr::regex
