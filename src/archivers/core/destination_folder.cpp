#include "archivers/core/destination_folder.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace zr::archivers {

namespace {

std::string ErrnoText(const std::string &what) { return what + ": " + std::strerror(errno); }

bool MakeFolders(const std::string &path)
{
    std::string partial;
    std::size_t start = 0;
    while (start <= path.size()) {
        const auto end = std::min(path.find('/', start), path.size());
        partial = path.substr(0, end);
        start = end + 1;
        if (!partial.empty() && ::mkdir(partial.c_str(), 0755) != 0 && errno != EEXIST)
            return false;
    }
    return true;
}

std::string TempName()
{
    static std::atomic<unsigned> counter{0};
    return ".zr-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + ".part";
}

}  // namespace

std::uint64_t FreeSpaceReserve()
{
    if (const char *text = std::getenv("ZR_ARCHIVER_FREE_RESERVE")) {
        char *end = nullptr;
        const unsigned long long v = std::strtoull(text, &end, 10);
        if (end && *end == '\0' && end != text)
            return v;
    }
    return 16u << 20;
}

DestinationFolder::~DestinationFolder()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool DestinationFolder::open(const std::string &path, std::string &error)
{
    path_ = path.empty() ? "." : path;
    while (path_.size() > 1 && (path_.back() == '/' || path_.back() == '\\'))
        path_.pop_back();
    fd_ = ::open(path_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0 && errno == ENOENT && MakeFolders(path_))
        fd_ = ::open(path_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0) {
        error = ErrnoText("cannot open the destination " + path_);
        return false;
    }
    return true;
}

int DestinationFolder::openFolder(const std::vector<std::string> &folders, std::string &error) const
{
    int current = ::dup(fd_);
    if (current < 0) {
        error = ErrnoText("dup");
        return -1;
    }
    for (const auto &name : folders) {
        int next = ::openat(current, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0 && errno == ENOENT) {
            if (::mkdirat(current, name.c_str(), 0755) != 0 && errno != EEXIST) {
                error = ErrnoText("cannot create the folder " + name);
                ::close(current);
                return -1;
            }
            next = ::openat(current, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        }
        ::close(current);
        if (next < 0) {
            // A link or a file where a folder belongs is never followed.
            error = ErrnoText("cannot enter the folder " + name);
            return -1;
        }
        current = next;
    }
    return current;
}

bool DestinationFolder::hasRoomFor(std::uint64_t bytes) const
{
    struct statvfs vfs {};
    if (fstatvfs(fd_, &vfs) != 0)
        return true;  // cannot tell: the write itself will report a full disk
    const std::uint64_t available = static_cast<std::uint64_t>(vfs.f_bavail) * vfs.f_frsize;
    return available >= bytes && available - bytes >= FreeSpaceReserve();
}

std::string DestinationFolder::displayPath(const std::vector<std::string> &components) const
{
    std::string out = path_;
    for (const auto &c : components)
        out += "/" + c;
    return out;
}

ExistingKind InspectExisting(int folderFd, const std::string &name, std::time_t *modified)
{
    struct stat st {};
    if (fstatat(folderFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return ExistingKind::kNone;
    if (modified)
        *modified = st.st_mtime;
    if (S_ISREG(st.st_mode))
        return ExistingKind::kFile;
    if (S_ISDIR(st.st_mode))
        return ExistingKind::kFolder;
    return ExistingKind::kOther;
}

OutputFile::~OutputFile() { discard(); }

bool OutputFile::create(int folderFd, const std::string &name, std::string &error)
{
    folderFd_ = folderFd;
    name_ = name;
    tempName_ = TempName();
    fd_ = ::openat(folderFd_, tempName_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd_ < 0) {
        error = ErrnoText("cannot create " + name);
        return false;
    }
    return true;
}

bool OutputFile::write(const char *data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd_, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool OutputFile::commit(std::time_t modified, bool executable, std::string &error)
{
    ::fchmod(fd_, executable ? 0755 : 0644);
    if (modified > 0) {
        const struct timespec times[2] = {{modified, 0}, {modified, 0}};
        ::futimens(fd_, times);
    }
    const bool closed = ::close(fd_) == 0;
    fd_ = -1;
    if (!closed || ::renameat(folderFd_, tempName_.c_str(), folderFd_, name_.c_str()) != 0) {
        error = ErrnoText("cannot complete " + name_);
        discard();
        return false;
    }
    tempName_.clear();
    ::close(folderFd_);
    folderFd_ = -1;
    return true;
}

void OutputFile::discard()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (folderFd_ >= 0) {
        if (!tempName_.empty())
            ::unlinkat(folderFd_, tempName_.c_str(), 0);
        ::close(folderFd_);
    }
    folderFd_ = -1;
    tempName_.clear();
}

}  // namespace zr::archivers
