#include "history/history_list.h"

#include "platform/text_case.h"

namespace zr {

int THistoryList::IndexOf(std::string_view s) const
{
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (platform::SameTextLocale(items_[i], s))
            return static_cast<int>(i);
    return -1;
}

int THistoryList::Add(std::string_view s)
{
    const int found = IndexOf(s);
    if (found >= 0) {
        std::string stored = std::move(items_[static_cast<std::size_t>(found)]);
        items_.erase(items_.begin() + found);
        items_.insert(items_.begin(), std::move(stored));
        return 0;
    }
    items_.insert(items_.begin(), std::string(s));
    if (items_.size() > static_cast<std::size_t>(kMaxCount))
        items_.resize(kMaxCount);
    return 0;
}

void THistoryList::Delete(int index)
{
    if (index >= 0 && index < Count())
        items_.erase(items_.begin() + index);
}

}  // namespace zr
