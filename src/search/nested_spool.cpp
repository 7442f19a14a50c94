#include "search/nested_spool.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>
#include <zlib.h>
#include <algorithm>

#include "platform/replace_file.h"
#include "search/nested_archive_kind.h"

namespace zr::search {

std::uint64_t NestContentHash(std::string_view bytes, std::uint64_t seed)
{
    // CRC-32 runs at memory speed and does not care how the bytes were
    // split into blocks; only compared within one nest, with the size.
    uLong crc = static_cast<uLong>(seed);
    while (!bytes.empty()) {
        const auto n = static_cast<uInt>(std::min<std::size_t>(bytes.size(), 1u << 30));
        crc = ::crc32(crc, reinterpret_cast<const Bytef *>(bytes.data()), n);
        bytes.remove_prefix(n);
    }
    return crc;
}

bool SpoolHoldsFile(const NestedSpool &spool, const std::string &path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    std::uint64_t hash = 0, size = 0;
    std::string block(1 << 16, '\0');
    const off_t end = ::lseek(fd, 0, SEEK_END);
    if (end >= 0 && static_cast<std::uint64_t>(end) == spool.Size()) {
        for (;;) {
            const ssize_t n = ::pread(fd, block.data(), block.size(), static_cast<off_t>(size));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            hash = NestContentHash(std::string_view(block.data(), static_cast<std::size_t>(n)), hash);
            size += static_cast<std::uint64_t>(n);
        }
    }
    ::close(fd);
    return size == spool.Size() && size > 0 && hash == spool.ContentHash();
}

NestedSpool::NestedSpool(std::string folder, std::uint64_t memoryAllowance)
    : folder_(std::move(folder)), memoryAllowance_(memoryAllowance), reserved_(memoryAllowance)
{
}

NestedSpool::~NestedSpool()
{
    if (fd_ >= 0)
        ::close(fd_);
}

std::string NestedSpool::Path() const { return "/proc/self/fd/" + std::to_string(fd_); }

bool NestedSpool::Open()
{
    if (memoryAllowance_ > 0) {
        fd_ = ::memfd_create("zr-nested", MFD_CLOEXEC);
        if (fd_ >= 0) {
            inMemory_ = true;
            return true;
        }
    }
    // A file without a name where the file system allows it; otherwise one
    // whose name goes at once, the open descriptor keeping its data.
    fd_ = ::open(folder_.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd_ < 0) {
        std::string name = folder_ + "/~NEST-XXXXXX";
        fd_ = ::mkostemp(name.data(), O_CLOEXEC);
        if (fd_ >= 0)
            ::unlink(name.c_str());
    }
    if (fd_ < 0) {
        failure_ = std::string("cannot make a work file: ") + std::strerror(errno);
        return false;
    }
    inMemory_ = false;
    return true;
}

bool NestedSpool::MoveToDisk()
{
    const int memoryFd = fd_;
    fd_ = -1;
    memoryAllowance_ = 0;
    if (!Open()) {
        ::close(memoryFd);
        return false;
    }
    std::string block(1 << 16, '\0');
    off_t at = 0;
    for (;;) {
        const ssize_t n = ::pread(memoryFd, block.data(), block.size(), at);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        if (!platform::WriteAllBytes(fd_, std::string_view(block.data(), static_cast<std::size_t>(n)))) {
            failure_ = std::string("cannot write a work file: ") + std::strerror(errno);
            ::close(memoryFd);
            return false;
        }
        at += n;
    }
    ::close(memoryFd);
    return true;
}

std::size_t NestedSpool::ReadAt(std::uint64_t offset, char *dest, std::size_t wanted) const
{
    for (;;) {
        const ssize_t n = ::pread(fd_, dest, wanted, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR)
            continue;
        return n < 0 ? 0 : static_cast<std::size_t>(n);
    }
}

bool NestedSpool::Write(std::string_view bytes)
{
    if (failed_)
        return false;
    if (fd_ < 0 && !Open())
        return failed_ = true, false;
    if (inMemory_ && size_ + bytes.size() > memoryAllowance_ && !MoveToDisk())
        return failed_ = true, false;
    if (!platform::WriteAllBytes(fd_, bytes)) {
        failure_ = errno == EFBIG ? "larger than the file-size limit"
                                  : std::string("cannot write a work file: ") + std::strerror(errno);
        return failed_ = true, false;
    }
    if (head_.size() < kNestHeadBytes)
        head_.append(bytes.substr(0, kNestHeadBytes - head_.size()));
    hash_ = NestContentHash(bytes, hash_);
    size_ += bytes.size();
    return true;
}

}  // namespace zr::search
