#include "app/path_shortening.h"

#include <vector>

namespace zr {

namespace {

std::vector<std::string> SplitElements(const std::string &path, char separator)
{
    std::vector<std::string> elements;
    std::string::size_type start = 0;
    for (;;) {
        const auto pos = path.find(separator, start);
        if (pos == std::string::npos) {
            elements.push_back(path.substr(start));
            return elements;
        }
        elements.push_back(path.substr(start, pos - start));
        start = pos + 1;
    }
}

std::string JoinTail(const std::vector<std::string> &elements, std::size_t first, char separator)
{
    std::string out;
    for (std::size_t i = first; i < elements.size(); ++i) {
        if (i > first)
            out += separator;
        out += elements[i];
    }
    return out;
}

}  // namespace

std::string ShortenPathMiddle(const std::string &path, char separator, int maxWidth,
                              const TextWidthFunction &width)
{
    if (width(path) <= maxWidth)
        return path;
    const std::vector<std::string> elements = SplitElements(path, separator);
    // Nothing in the middle to leave out: "head/last" or a single name.
    if (elements.size() <= 2)
        return path;
    const std::string head = elements.front() + separator + "..." + separator;
    // Drop the second element first, then one more each time, keeping the last.
    for (std::size_t first = 2; first < elements.size(); ++first) {
        std::string candidate = head + JoinTail(elements, first, separator);
        if (width(candidate) <= maxWidth || first + 1 == elements.size())
            return candidate;
    }
    return path;
}

}  // namespace zr
