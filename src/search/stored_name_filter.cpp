#include "search/stored_name_filter.h"

#include <algorithm>

#include "platform/wildcard.h"

namespace zr::search {

namespace {

std::string Slashed(std::string_view name)
{
    std::string out(name);
    std::replace(out.begin(), out.end(), '\\', '/');
    return out;
}

std::string_view WithoutTrailingSlash(std::string_view name)
{
    while (name.size() > 1 && name.back() == '/')
        name.remove_suffix(1);
    return name;
}

std::vector<std::string> SplitList(std::string_view list)
{
    std::vector<std::string> items;
    std::size_t i = 0;
    while (i < list.size()) {
        while (i < list.size() && (list[i] == ' ' || list[i] == '\t'))
            ++i;
        if (i >= list.size())
            break;
        std::size_t end;
        std::string item;
        if (list[i] == '"') {
            const auto close = list.find('"', i + 1);
            end = close == std::string_view::npos ? list.size() : close;
            item = list.substr(i + 1, end - i - 1);
            i = end == list.size() ? end : end + 1;
        } else {
            end = std::min(list.find_first_of(" \t", i), list.size());
            item = list.substr(i, end - i);
            i = end;
        }
        if (!item.empty())
            items.push_back(std::move(item));
    }
    return items;
}

}  // namespace

StoredNameFilter::StoredNameFilter(std::string_view patternList)
{
    for (const std::string &item : SplitList(patternList)) {
        const std::string pattern = Slashed(item);
        if (pattern == "*" || pattern == "*.*") {
            patterns_.clear();
            return;
        }
        patterns_.push_back(pattern);
    }
}

bool StoredNameFilter::Matches(std::string_view storedName) const
{
    if (patterns_.empty())
        return true;
    const std::string full = Slashed(storedName);
    const std::string_view name = WithoutTrailingSlash(full);
    const auto slash = name.rfind('/');
    const std::string_view base = slash == std::string_view::npos ? name : name.substr(slash + 1);
    return std::any_of(patterns_.begin(), patterns_.end(), [&](const std::string &p) {
        const std::string_view pattern = WithoutTrailingSlash(p);
        const bool hasFolder = pattern.find('/') != std::string_view::npos;
        return platform::WildcardMatch(hasFolder ? name : base, pattern, platform::LetterCase::IgnoreAscii);
    });
}

}  // namespace zr::search
