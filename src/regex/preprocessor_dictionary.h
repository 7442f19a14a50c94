#pragma once
// Dictionaries for the pattern preprocessor: ordered rows of equivalent
// entries. Rows are written as comma text, the way they are kept in files.

#include <string>
#include <string_view>
#include <vector>

namespace zr::regex {

using TREDictionaryRow = std::vector<std::string>;
using TREDictionary = std::vector<TREDictionaryRow>;

// Splits one comma-text row: entries are separated by a comma or by control
// characters and spaces, blanks around them are skipped, and an entry in
// double quotes may hold commas, spaces and doubled quotes. A trailing comma
// adds no empty entry.
TREDictionaryRow SplitCommaText(std::string_view text);

}  // namespace zr::regex
