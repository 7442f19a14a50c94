#include "archivers/core/wildcard.h"

#include <algorithm>

#include "archivers/core/stored_name.h"
#include "platform/wildcard.h"

namespace zr::archivers {

namespace {

std::string_view WithoutTrailingSlash(std::string_view name)
{
    while (name.size() > 1 && name.back() == '/')
        name.remove_suffix(1);
    return name;
}

std::string_view BaseName(std::string_view name)
{
    const auto slash = name.rfind('/');
    return slash == std::string_view::npos ? name : name.substr(slash + 1);
}

}  // namespace

std::vector<std::string> SplitWildcardList(std::string_view list)
{
    std::vector<std::string> items;
    std::size_t i = 0;
    while (i < list.size()) {
        while (i < list.size() && (list[i] == ' ' || list[i] == '\t'))
            ++i;
        if (i >= list.size())
            break;
        std::string item;
        if (list[i] == '"') {
            const auto close = list.find('"', i + 1);
            const auto end = close == std::string_view::npos ? list.size() : close;
            item = list.substr(i + 1, end - i - 1);
            i = end == list.size() ? end : end + 1;
        } else {
            const auto end = std::min(list.find_first_of(" \t", i), list.size());
            item = list.substr(i, end - i);
            i = end;
        }
        if (!item.empty())
            items.push_back(std::move(item));
    }
    return items;
}

NameFilter::NameFilter(std::vector<std::string> patterns)
{
    for (const auto &p : patterns) {
        std::string n = NormaliseSeparators(p);
        if (n == "*" || n == "*.*") {
            patterns_.clear();
            return;
        }
        if (!n.empty())
            patterns_.push_back(std::move(n));
    }
}

bool NameFilter::matches(std::string_view storedName) const
{
    if (patterns_.empty())
        return true;
    const std::string full = NormaliseSeparators(storedName);
    const std::string_view name = WithoutTrailingSlash(full);
    for (const auto &pattern : patterns_) {
        const std::string_view pat = WithoutTrailingSlash(pattern);
        const bool hasFolder = pat.find('/') != std::string_view::npos;
        if (platform::WildcardMatch(hasFolder ? name : BaseName(name), pat,
                                    platform::LetterCase::IgnoreAscii))
            return true;
    }
    return false;
}

}  // namespace zr::archivers
