#include "platform/search_path.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace zr::platform {

namespace {
bool IsExecutableFile(const std::string &path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}
}  // namespace

std::string FindExecutableIn(std::string_view name, std::string_view searchPath)
{
    if (name.empty())
        return {};
    if (name.find('/') != std::string_view::npos) {
        const std::string path(name);
        return IsExecutableFile(path) ? path : std::string();
    }
    while (!searchPath.empty()) {
        const std::size_t colon = searchPath.find(':');
        const std::string_view folder = searchPath.substr(0, colon);
        searchPath = colon == std::string_view::npos ? std::string_view() : searchPath.substr(colon + 1);
        if (folder.empty())
            continue;
        std::string candidate(folder);
        if (candidate.back() != '/')
            candidate += '/';
        candidate += name;
        if (IsExecutableFile(candidate))
            return candidate;
    }
    return {};
}

std::string FindExecutableOnPath(std::string_view name)
{
    const char *path = std::getenv("PATH");
    return FindExecutableIn(name, path ? path : "/usr/local/bin:/usr/bin:/bin");
}

}  // namespace zr::platform
