#include "filefind/folder_listing.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <string_view>
#include <sys/stat.h>

namespace zr {

namespace {
EntryKind KindFromStat(int folderFd, const char *name)
{
    struct stat st {};
    if (::fstatat(folderFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return EntryKind::Other;
    if (S_ISDIR(st.st_mode))
        return EntryKind::Folder;
    if (S_ISREG(st.st_mode))
        return EntryKind::File;
    if (!S_ISLNK(st.st_mode) || ::fstatat(folderFd, name, &st, 0) != 0)
        return EntryKind::Other;
    if (S_ISDIR(st.st_mode))
        return EntryKind::LinkedFolder;
    return S_ISREG(st.st_mode) ? EntryKind::File : EntryKind::Other;
}

// The kind the folder read already told, saving a stat call per entry.
EntryKind KindOf(int folderFd, const dirent &entry)
{
    switch (entry.d_type) {
    case DT_REG:
        return EntryKind::File;
    case DT_DIR:
        return EntryKind::Folder;
    case DT_LNK:
    case DT_UNKNOWN:
        return KindFromStat(folderFd, entry.d_name);
    default:
        return EntryKind::Other;
    }
}

struct DirCloser {
    void operator()(DIR *dir) const { ::closedir(dir); }
};
}  // namespace

bool ListFolder(const std::string &folder, std::vector<FolderEntry> &entries, int &error)
{
    entries.clear();
    std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.c_str()));
    if (!dir) {
        error = errno;
        return false;
    }
    errno = 0;
    while (const dirent *entry = ::readdir(dir.get())) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..")
            entries.push_back({std::string(name), KindOf(::dirfd(dir.get()), *entry)});
        errno = 0;
    }
    if (errno != 0) {
        error = errno;
        return false;
    }
    std::sort(entries.begin(), entries.end(),
              [](const FolderEntry &a, const FolderEntry &b) { return a.name < b.name; });
    return true;
}

}  // namespace zr
