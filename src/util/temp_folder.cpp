#include "util/temp_folder.h"

#include "util/path_names.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace zr {

namespace {
std::string TempBase()
{
    const char *env = std::getenv("TMPDIR");
    if (env != nullptr && env[0] == '/')
        return NormalizeFolderPath(env);
    return "/tmp";
}

bool IsPrivateFolder(const std::string &path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
           (st.st_mode & 077) == 0;
}
}  // namespace

std::string TempFolder()
{
    const std::string folder = AppendPathSeparator(TempBase()) + "zurivo-" + std::to_string(::getuid());
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return {};
    return IsPrivateFolder(folder) ? folder : std::string();
}

}  // namespace zr
