#include "search/stale_work_folders.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include "util/folder_delete.h"
#include "util/temp_folder.h"

namespace zr::search {

namespace {

constexpr char kPrefix[] = "zrgrep-";

// The process id in "zrgrep-<pid>-...", or 0.
pid_t OwnerPid(const std::string &name)
{
    if (name.rfind(kPrefix, 0) != 0)
        return 0;
    const char *digits = name.c_str() + sizeof kPrefix - 1;
    char *end = nullptr;
    const long pid = std::strtol(digits, &end, 10);
    if (end == digits || *end != '-' || pid <= 0)
        return 0;
    return static_cast<pid_t>(pid);
}

bool ProcessGone(pid_t pid) { return ::kill(pid, 0) != 0 && errno == ESRCH; }

}  // namespace

int RemoveStaleWorkFolders(const std::string &tempFolder)
{
    DIR *dir = ::opendir(tempFolder.c_str());
    if (!dir)
        return 0;
    int removed = 0;
    while (const dirent *entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        const pid_t pid = OwnerPid(name);
        if (pid == 0 || pid == ::getpid())
            continue;
        const std::string path = tempFolder + "/" + name;
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid())
            continue;
        if (ProcessGone(pid) && DeleteFolderTree(path, true))
            ++removed;
    }
    ::closedir(dir);
    return removed;
}

int RemoveStaleWorkFolders()
{
    const std::string temp = TempFolder();
    return temp.empty() ? 0 : RemoveStaleWorkFolders(temp);
}

}  // namespace zr::search
