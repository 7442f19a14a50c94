#include "util/folder_delete.h"

#include "util/path_names.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace zr {

namespace {
// Works relative to open folder descriptors, never through a path that a
// link could redirect. Files are deleted as they are met; folders are removed
// after their contents, until the first removal fails.
class TreeRemover {
public:
    bool Failed() const { return failed_; }

    // Entries of a read-only folder cannot be removed until it is writable.
    static void MakeOwnerWritable(int fd, const struct stat &st)
    {
        if ((st.st_mode & S_IRWXU) != S_IRWXU)
            ::fchmod(fd, (st.st_mode & 07777) | S_IRWXU);
    }

    // Opens a folder of the tree without following a link; a folder its owner
    // cannot read or search is made accessible first.
    static int OpenFolder(int parentFd, const char *name, const struct stat &st)
    {
        constexpr int kFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
        const int fd = ::openat(parentFd, name, kFlags);
        if (fd >= 0 || errno != EACCES)
            return fd;
        // AT_SYMLINK_NOFOLLOW refuses a link that replaced the folder meanwhile.
        if (::fchmodat(parentFd, name, (st.st_mode & 07777) | S_IRWXU, AT_SYMLINK_NOFOLLOW) != 0)
            return -1;
        return ::openat(parentFd, name, kFlags);
    }

    void EmptyFolder(int folderFd)
    {
        DIR *dir = ::fdopendir(folderFd);
        if (dir == nullptr) {
            ::close(folderFd);
            return;
        }
        while (const dirent *entry = ::readdir(dir)) {
            const std::string_view name = entry->d_name;
            if (name == "." || name == "..")
                continue;
            RemoveEntry(::dirfd(dir), entry->d_name);
        }
        ::closedir(dir);
    }

    void RemoveFolder(int parentFd, const char *name)
    {
        if (failed_)
            return;
        if (::unlinkat(parentFd, name, AT_REMOVEDIR) != 0 && errno != ENOENT)
            failed_ = true;
    }

private:
    void RemoveEntry(int parentFd, const char *name)
    {
        struct stat st {};
        if (::fstatat(parentFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            return;
        if (!S_ISDIR(st.st_mode)) {
            ::unlinkat(parentFd, name, 0);  // a file that stays makes its folder's removal fail
            return;
        }
        const int childFd = OpenFolder(parentFd, name, st);
        if (childFd < 0) {
            RemoveFolder(parentFd, name);  // only an empty folder goes; else the failure is reported
            return;
        }
        MakeOwnerWritable(childFd, st);
        EmptyFolder(childFd);
        RemoveFolder(parentFd, name);
    }

    bool failed_ = false;
};

std::string ParentOf(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string LastNameOf(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}
}  // namespace

bool DeleteFolderTree(const std::string &folder, bool includeSelf)
{
    const std::string path = NormalizeFolderPath(folder);
    struct stat st {};
    if (path.empty() || ::lstat(path.c_str(), &st) != 0)
        return true;
    if (S_ISLNK(st.st_mode)) {
        struct stat target {};
        if (::stat(path.c_str(), &target) != 0 || !S_ISDIR(target.st_mode))
            return true;  // not a folder at all
        return includeSelf && ::unlink(path.c_str()) == 0;
    }
    if (!S_ISDIR(st.st_mode))
        return true;

    const int fd = TreeRemover::OpenFolder(AT_FDCWD, path.c_str(), st);
    if (fd < 0)
        return false;
    TreeRemover remover;
    TreeRemover::MakeOwnerWritable(fd, st);
    remover.EmptyFolder(fd);
    if (includeSelf && path != "/") {
        const std::string parent = ParentOf(path);
        const int parentFd = ::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (parentFd >= 0) {
            remover.RemoveFolder(parentFd, LastNameOf(path).c_str());
            ::close(parentFd);
        } else {
            return false;
        }
    }
    return !remover.Failed();
}

bool DeleteFileOrFolder(const std::string &path)
{
    struct stat st {};
    const std::string target = NormalizeFolderPath(path);
    if (target.empty() || ::lstat(target.c_str(), &st) != 0)
        return true;
    if (S_ISDIR(st.st_mode))
        return DeleteFolderTree(target, true);
    return ::unlink(target.c_str()) == 0 || errno == ENOENT;
}

}  // namespace zr
