#pragma once
// Histories in the registry: a key holding "Count" (a double word) and the
// entries "0", "1", ... as strings, "0" the most recent.

#include "history/history_list.h"
#include "history/root_key.h"

#include <string>
#include <string_view>
#include <vector>

namespace zr {

// Menu lists: a missing key, "Count" or entry loads as nothing. Entries are
// added from the oldest up, so "0" ends on top and duplicates merge.
void LoadHistoryList(TRootKey root, std::string_view key, THistoryList &list);
// Creates the key when missing. Throws ERegistryException when a value cannot be written.
void SaveHistoryList(TRootKey root, std::string_view key, const THistoryList &list);

// Combo box lists: at most maximum entries from "0" upward, stopping at the
// first empty one; with mergeDuplicates an entry replaces an earlier equal one
// (ASCII case ignored). A missing key reads as empty; a key without a
// readable "Count" throws ERegistryException with the registry's read error.
std::vector<std::string> ReadComboHistory(TRootKey root, std::string_view key, int maximum,
                                          bool mergeDuplicates);
// Leaves the key holding exactly "Count" and these entries.
void WriteComboHistory(TRootKey root, std::string_view key, const std::vector<std::string> &entries);

// The combo box rule for a used text: s goes on top, its other spellings
// (ASCII case ignored) go, and the list is cut to maximum. Empty s is ignored.
void PushHistoryText(std::vector<std::string> &entries, std::string_view s, int maximum);

}  // namespace zr
