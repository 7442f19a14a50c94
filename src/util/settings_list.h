#pragma once
// Numbered string lists in the settings store: the section holds "Count" and
// the entries "0", "1", ... with "0" the most recent.

#include <string>
#include <string_view>
#include <vector>

namespace zr {

using StringList = std::vector<std::string>;

inline constexpr int kSettingListMaximum = 10;

// Replaces *list with at most maximum stored entries; empty entries are
// skipped and entries already loaded (compared without case) are dropped.
// A null list does nothing.
void LoadSettingList(std::string_view section, int maximum, StringList *list);

// Writes "Count" (capped at maximum) and every entry of list.
void SaveSettingList(std::string_view section, int maximum, const StringList &list);

// Moves entry to the top of list (removing its first case-insensitive
// duplicate), trims list to maximum and returns the duplicate's former index,
// or -1 when entry was new.
int PushRecent(StringList &list, std::string_view entry, int maximum);

// Index of the first entry equal to text without case, or -1.
int IndexOfText(const StringList &list, std::string_view text);

}  // namespace zr
