#include "fileop/double_zero_list.h"

#include <algorithm>

namespace zr {

std::string CommaListToDoubleZero(std::string_view commaList)
{
    std::string list(commaList);
    std::replace(list.begin(), list.end(), ',', '\0');
    list.push_back('\0');
    return list;
}

std::vector<std::string> DoubleZeroToPaths(std::string_view list)
{
    std::vector<std::string> paths;
    std::size_t start = 0;
    while (start < list.size()) {
        std::size_t end = list.find('\0', start);
        if (end == std::string_view::npos)
            end = list.size();
        if (end == start)
            break;  // the empty entry ends the list
        paths.emplace_back(list.substr(start, end - start));
        start = end + 1;
    }
    return paths;
}

}  // namespace zr
