#include "util/path_names.h"

#include "platform/mbchar.h"
#include "util/dbcs.h"

#include <cstring>

namespace zr {

namespace {
bool IsSeparatorByte(char c) { return c == '/' || c == '\\'; }

bool EndsWithSeparatorChar(std::string_view path)
{
    return !path.empty() && IsSeparatorByte(path.back()) && EndsWithChar(path, path.back());
}
}  // namespace

std::string AppendPathSeparator(std::string_view path, char separator)
{
    if (path.empty())
        return {};
    std::string out(path);
    if (!EndsWithSeparatorChar(path))
        out += separator;
    return out;
}

std::string StripPathSeparator(std::string_view path)
{
    if (EndsWithSeparatorChar(path))
        path.remove_suffix(1);
    return std::string(path);
}

bool EndsWithPathSeparator(std::string_view path) { return EndsWithSeparatorChar(path); }

std::string NormalizeFolderPath(std::string_view path, char separator)
{
    if (path.size() == 1 && path[0] == separator)
        return std::string(path);
    return StripPathSeparator(path);
}

std::string FileNamePart(std::string_view path)
{
    std::size_t start = 0;
    for (std::size_t i = 0; i < path.size(); i += platform::CharLengthAt(path, i)) {
        if (IsSeparatorByte(path[i]))
            start = i + 1;
    }
    return std::string(path.substr(start));
}

std::string QuoteIfSpaced(std::string_view path)
{
    if (path.find(' ') == std::string_view::npos || (!path.empty() && path[0] == '"'))
        return std::string(path);
    return "\"" + std::string(path) + "\"";
}

bool IsUncPath(std::string_view path, char separator)
{
    if (separator == '/')
        return false;
    const char pair[] = {separator, separator};
    return PosDBCS(std::string_view(pair, 2), path) == 1;
}

long CountSeparators(std::string_view path, char separator)
{
    const long count = static_cast<long>(CountCharDBCS(path, separator));
    return IsUncPath(path, separator) ? count - 2 : count;
}

std::string PathElement(std::string_view path, long n, char separator)
{
    if (n < 1)
        return {};
    std::size_t start = 0;
    std::size_t searchFrom = IsUncPath(path, separator) ? 2 : 0;
    for (long element = 1;; ++element) {
        const std::size_t rel = ScanCharDBCS(path.substr(searchFrom), separator);
        if (rel == std::string_view::npos)
            return {};
        const std::size_t end = searchFrom + rel;
        if (element == n)
            return std::string(path.substr(start, end - start));
        start = end + 1;
        searchFrom = start;
    }
}

char FilterFileNameChar(char &c, bool pathAllowed)
{
    // In a path the platform separator is allowed; a backslash never is, and
    // ':' is kept out of names only.
    const char *forbidden = pathAllowed ? "\\*?<>|\"" : "\\/:*?<>|\"";
    if (c != '\0' && std::strchr(forbidden, c) != nullptr)
        c = '\0';
    return c;
}

std::unique_ptr<char[]> NewCString(std::string_view text)
{
    auto copy = std::make_unique<char[]>(text.size() + 1);
    std::memcpy(copy.get(), text.data(), text.size());
    copy[text.size()] = '\0';
    return copy;
}

}  // namespace zr
