#include "util/settings_list.h"

#include "platform/text_case.h"
#include "util/settings_store.h"

#include <algorithm>

namespace zr {

int IndexOfText(const StringList &list, std::string_view text)
{
    const std::string folded = platform::UpperCaseLocale(text);
    for (std::size_t i = 0; i < list.size(); ++i)
        if (platform::UpperCaseLocale(list[i]) == folded)
            return static_cast<int>(i);
    return -1;
}

void LoadSettingList(std::string_view section, int maximum, StringList *list)
{
    if (!list)
        return;
    list->clear();
    const int count = std::min(maximum, ReadSettingInteger(section, "Count", 0));
    for (int i = 0; i < count; ++i) {
        std::string entry = ReadSettingString(section, std::to_string(i), "");
        // A gap (an entry deleted or never written) must not hide the rest.
        if (entry.empty() || IndexOfText(*list, entry) >= 0)
            continue;
        list->push_back(std::move(entry));
    }
}

void SaveSettingList(std::string_view section, int maximum, const StringList &list)
{
    const int count = std::min(maximum, static_cast<int>(list.size()));
    WriteSettingInteger(section, "Count", std::max(count, 0));
    for (std::size_t i = 0; i < list.size(); ++i)
        WriteSettingString(section, std::to_string(i), list[i]);
}

int PushRecent(StringList &list, std::string_view entry, int maximum)
{
    const int former = IndexOfText(list, entry);
    if (former >= 0)
        list.erase(list.begin() + former);
    list.insert(list.begin(), std::string(entry));
    const std::size_t limit = static_cast<std::size_t>(std::max(maximum, 0));
    if (list.size() > limit)
        list.resize(limit);
    return former;
}

}  // namespace zr
