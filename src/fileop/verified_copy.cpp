#include "fileop/verified_copy.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace zr {

namespace {

constexpr std::size_t kBlockSize = 1 << 20;

class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    ~FileDescriptor() { Close(); }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;
    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    void Reset(int fd)
    {
        Close();
        fd_ = fd;
    }
    int Close()
    {
        const int result = fd_ >= 0 ? ::close(fd_) : 0;
        fd_ = -1;
        return result;
    }

private:
    int fd_;
};

// The temporary file is removed unless Keep() is called.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::string &target)
    {
        const std::size_t slash = target.find_last_of('/');
        path_ =
            (slash == std::string::npos ? std::string() : target.substr(0, slash + 1)) + ".zr-copy-XXXXXX";
        fd_.Reset(::mkostemp(path_.data(), O_CLOEXEC));
        if (!fd_.Valid())
            path_.clear();
    }
    ~TemporaryFile()
    {
        fd_.Close();
        if (!path_.empty())
            ::unlink(path_.c_str());
    }
    TemporaryFile(const TemporaryFile &) = delete;
    TemporaryFile &operator=(const TemporaryFile &) = delete;

    FileDescriptor &Fd() { return fd_; }
    const std::string &Path() const { return path_; }
    void Keep() { path_.clear(); }

private:
    std::string path_;
    FileDescriptor fd_;
};

TCopyResult Failed(int error) { return {TCopyOutcome::Failed, error ? error : EIO}; }

bool WriteAll(int fd, const char *data, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

// Copies the data; returns the bytes copied through copied.
TCopyResult CopyData(int from, int to, std::uint64_t &copied,
                     const std::function<bool(std::uint64_t)> &advance)
{
    std::vector<char> block(kBlockSize);
    for (;;) {
        const ssize_t got = ::read(from, block.data(), block.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return Failed(errno);
        if (got == 0)
            return {};
        if (!WriteAll(to, block.data(), static_cast<std::size_t>(got)))
            return Failed(errno);
        copied += static_cast<std::uint64_t>(got);
        if (advance && !advance(static_cast<std::uint64_t>(got)))
            return {TCopyOutcome::Cancelled, 0};
    }
}

// The copy keeps the source's permission bits and times.
bool FinishTarget(int fd, const struct stat &sourceInfo)
{
    const struct timespec times[2] = {sourceInfo.st_atim, sourceInfo.st_mtim};
    return ::fchmod(fd, sourceInfo.st_mode & 07777) == 0 && ::futimens(fd, times) == 0 && ::fsync(fd) == 0;
}

}  // namespace

TCopyResult CopyFileVerified(const std::string &source, const std::string &target,
                             const std::function<bool(std::uint64_t bytes)> &advance)
{
    FileDescriptor from(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
    if (!from.Valid())
        return Failed(errno);
    struct stat sourceInfo {};
    if (::fstat(from.Get(), &sourceInfo) != 0)
        return Failed(errno);
    if (!S_ISREG(sourceInfo.st_mode))
        return Failed(EINVAL);

    TemporaryFile temporary(target);
    if (!temporary.Fd().Valid())
        return Failed(errno);
    std::uint64_t copied = 0;
    const TCopyResult data = CopyData(from.Get(), temporary.Fd().Get(), copied, advance);
    if (data.outcome != TCopyOutcome::Done)
        return data;

    struct stat copyInfo {};
    if (::fstat(temporary.Fd().Get(), &copyInfo) != 0)
        return Failed(errno);
    // A source that changed size while it was read gives no trustworthy copy.
    if (copied != static_cast<std::uint64_t>(sourceInfo.st_size) || copyInfo.st_size != sourceInfo.st_size)
        return Failed(EIO);
    if (!FinishTarget(temporary.Fd().Get(), sourceInfo))
        return Failed(errno);
    if (temporary.Fd().Close() != 0)
        return Failed(errno);
    if (std::rename(temporary.Path().c_str(), target.c_str()) != 0)
        return Failed(errno);
    temporary.Keep();
    return {};
}

}  // namespace zr
