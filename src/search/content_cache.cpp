#include "search/content_cache.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <vector>

namespace zr::search {

namespace {

constexpr const char *kPackSuffix = ".zrp";
constexpr const char *kTempPrefix = "tmp-";
constexpr const char *kLockName = "lock";

bool EndsWith(const std::string &text, const char *suffix)
{
    const std::size_t n = std::strlen(suffix);
    return text.size() >= n && text.compare(text.size() - n, n, suffix) == 0;
}

// Holds the folder's lock for as long as it lives (no lock at all when the
// lock file cannot be made: a read-only folder has nothing to trim).
class FolderLock {
public:
    explicit FolderLock(const std::string &folder)
    {
        fd_ = ::open((folder + "/" + kLockName).c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd_ >= 0)
            while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
            }
    }
    ~FolderLock()
    {
        if (fd_ >= 0)
            ::close(fd_);  // releases the lock
    }
    FolderLock(const FolderLock &) = delete;
    FolderLock &operator=(const FolderLock &) = delete;

private:
    int fd_ = -1;
};

// A temporary file nobody holds locked any more: its writer died.
bool Abandoned(const std::string &path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return free;
}

struct PackFile {
    std::string path;
    std::uint64_t size;
    std::int64_t usedNs;
};

// The folder's packs; abandoned temporary files are removed on the way.
std::vector<PackFile> ListPacks(const std::string &folder)
{
    std::vector<PackFile> packs;
    DIR *dir = ::opendir(folder.c_str());
    if (!dir)
        return packs;
    while (const dirent *entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        const std::string path = folder + "/" + name;
        if (name.rfind(kTempPrefix, 0) == 0) {
            if (Abandoned(path))
                ::unlink(path.c_str());
            continue;
        }
        struct stat st {};
        if (!EndsWith(name, kPackSuffix) || ::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        packs.push_back({path, static_cast<std::uint64_t>(st.st_size),
                         static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec});
    }
    ::closedir(dir);
    return packs;
}

std::int64_t NowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

}  // namespace

TempPack::~TempPack()
{
    if (fd_ >= 0) {
        ::unlink(path_.c_str());
        ::close(fd_);
    }
}

TempPack::TempPack(TempPack &&other) noexcept : fd_(other.fd_), path_(std::move(other.path_))
{
    other.fd_ = -1;
}

void TempPack::Release()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

ContentCache::ContentCache(CacheSetup setup) : setup_(std::move(setup)), on_(!setup_.folder.empty()) {}

void ContentCache::TurnOff(const std::string &why)
{
    on_ = false;
    offReason_ = why;
}

void ContentCache::NoteWriteFailure(int error)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
    case EROFS:
    case EACCES:
    case EPERM:
        TurnOff(setup_.folder + ": " + std::strerror(error));
        break;
    default:  // this pack only (too large for the process's file limit, say)
        break;
    }
}

std::uint64_t ContentCache::SizeBudget() const
{
    const std::uint64_t setting = setup_.sizeLimitMb << 20;
    struct statvfs fs {};
    if (::statvfs(setup_.folder.c_str(), &fs) != 0)
        return setting;
    const std::uint64_t free = static_cast<std::uint64_t>(fs.f_bavail) * fs.f_frsize;
    return std::min(setting, free / 10);
}

bool ContentCache::Prepare()
{
    if (!on_)
        return false;
    // Parents as the user's umask allows; the cache folder itself private.
    const std::string &folder = setup_.folder;
    for (std::size_t slash = folder.find('/', 1); slash != std::string::npos;
         slash = folder.find('/', slash + 1))
        ::mkdir(folder.substr(0, slash).c_str(), 0755);
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        TurnOff(folder + ": " + std::strerror(errno));
        return false;
    }
    {
        TempPack probe = BeginPack();
        if (!probe)
            return false;
    }
    Trim();
    packLimit_ = SizeBudget();
    if (packLimit_ == 0) {
        TurnOff(folder + ": " + std::strerror(ENOSPC));
        return false;
    }
    return true;
}

std::string ContentCache::PackPath(const ArchiveIdentity &archive) const
{
    char name[64];
    std::snprintf(name, sizeof name, "%llx-%llx%s", static_cast<unsigned long long>(archive.device),
                  static_cast<unsigned long long>(archive.inode), kPackSuffix);
    return setup_.folder + "/" + name;
}

TempPack ContentCache::BeginPack()
{
    std::string path = setup_.folder + "/" + kTempPrefix + "XXXXXX";
    const int fd = ::mkostemp(path.data(), O_CLOEXEC);
    if (fd < 0) {
        NoteWriteFailure(errno);
        return {};
    }
    ::flock(fd, LOCK_EX);  // until the file is renamed or removed
    return TempPack(fd, path);
}

bool ContentCache::Publish(TempPack &pack, const std::string &packPath)
{
    // No fsync: a pack that a crash leaves short or unwritten fails its
    // checksum and is removed at its next use, and a sync per archive made
    // the first search several times slower in wall time.
    if (::rename(pack.Path().c_str(), packPath.c_str()) != 0) {
        NoteWriteFailure(errno);
        return false;
    }
    struct stat st {};
    if (::fstat(pack.Fd(), &st) == 0)
        publishedSinceTrim_ += static_cast<std::uint64_t>(st.st_size);
    pack.Release();
    // A folder scan per pack would cost more than small packs save: the
    // bound may be passed by a thirty-second of itself between trims.
    if (publishedSinceTrim_ >= packLimit_ / 32) {
        Trim();
        publishedSinceTrim_ = 0;
    }
    return true;
}

void ContentCache::Touch(const std::string &packPath, std::int64_t usedNs)
{
    if (NowNs() - usedNs < 60 * std::int64_t{1000000000})
        return;
    // A write sets the time without a call that changes file times (which
    // a confined worker may not make): the first byte, written as it is.
    const int fd = ::open(packPath.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return;
    const char first = 'Z';
    [[maybe_unused]] const ssize_t written = ::pwrite(fd, &first, 1, 0);
    ::close(fd);
}

void ContentCache::Trim()
{
    FolderLock lock(setup_.folder);
    std::vector<PackFile> packs = ListPacks(setup_.folder);
    const std::int64_t oldest = NowNs() - static_cast<std::int64_t>(setup_.days) * 86400 * 1000000000;
    std::sort(packs.begin(), packs.end(),
              [](const PackFile &a, const PackFile &b) { return a.usedNs > b.usedNs; });
    const std::uint64_t budget = SizeBudget();
    std::uint64_t kept = 0;
    bool full = false;
    // Newest first: once one does not fit, every less recently used one goes too.
    for (const PackFile &pack : packs) {
        const bool young = pack.usedNs >= oldest;
        if (young && !full && kept + pack.size <= budget) {
            kept += pack.size;
            continue;
        }
        full = full || young;
        ::unlink(pack.path.c_str());
    }
}

std::uint64_t ContentCache::FolderBytes(const std::string &folder)
{
    std::uint64_t total = 0;
    for (const PackFile &pack : ListPacks(folder))
        total += pack.size;
    return total;
}

bool ContentCache::Clear(const std::string &folder, std::string *why)
{
    if (::access(folder.c_str(), F_OK) != 0)
        return true;  // nothing cached yet
    FolderLock lock(folder);
    bool cleared = true;
    for (const PackFile &pack : ListPacks(folder))
        if (::unlink(pack.path.c_str()) != 0 && errno != ENOENT) {
            if (why && cleared)
                *why = pack.path + ": " + std::strerror(errno);
            cleared = false;
        }
    return cleared;
}

std::string PrepareRunCache(CacheSetup &setup)
{
    if (setup.folder.empty())
        return {};
    ContentCache cache(setup);
    if (cache.Prepare())
        return {};
    setup.folder.clear();
    return cache.OffReason();
}

}  // namespace zr::search
