#pragma once
// Names proposed when saving conditions and archive sets.

#include <string>

namespace zr::search {

// "*" -> "@", "?" -> "!", then \ / : * ? < > | and '"' -> "_".
std::string MakeSafeFileName(const std::string &text);
// "条件=" + MakeSafeFileName(searchText)
std::string ProposedConditionFileName(const std::string &searchText);
// "結果=" + MakeSafeFileName(searchText)
std::string ProposedArchiveSetFileName(const std::string &searchText);

}  // namespace zr::search
