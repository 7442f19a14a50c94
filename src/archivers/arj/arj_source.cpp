// Byte sources under the ARJ reader: a file read with pread, or memory.
#include "archivers/arj/arj_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zr::arj {
namespace {

class FileSource : public ArjSource {
public:
    explicit FileSource(const std::string &path) : path_(path)
    {
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd_ < 0)
            throw ArjError(ArjErrorCode::kIo, "cannot open " + path + ": " + std::strerror(errno));
        struct stat st {};
        if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(fd_);
            throw ArjError(ArjErrorCode::kIo, "not a readable file: " + path);
        }
        size_ = static_cast<std::uint64_t>(st.st_size);
    }
    ~FileSource() override { ::close(fd_); }
    FileSource(const FileSource &) = delete;
    FileSource &operator=(const FileSource &) = delete;

    std::uint64_t size() const override { return size_; }

    std::size_t readAt(std::uint64_t offset, void *buffer, std::size_t size) const override
    {
        std::size_t done = 0;
        auto *out = static_cast<char *>(buffer);
        while (done < size) {
            const ssize_t n = ::pread(fd_, out + done, size - done, static_cast<off_t>(offset + done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                throw ArjError(ArjErrorCode::kIo, "cannot read " + path_ + ": " + std::strerror(errno));
            if (n == 0)
                break;
            done += static_cast<std::size_t>(n);
        }
        return done;
    }

private:
    std::string path_;
    int fd_ = -1;
    std::uint64_t size_ = 0;
};

class MemorySource : public ArjSource {
public:
    explicit MemorySource(std::string bytes) : bytes_(std::move(bytes)) {}
    std::uint64_t size() const override { return bytes_.size(); }
    std::size_t readAt(std::uint64_t offset, void *buffer, std::size_t size) const override
    {
        if (offset >= bytes_.size())
            return 0;
        const std::size_t n = std::min<std::uint64_t>(size, bytes_.size() - offset);
        std::memcpy(buffer, bytes_.data() + offset, n);
        return n;
    }

private:
    std::string bytes_;
};

}  // namespace

std::shared_ptr<ArjSource> OpenArjFileSource(const std::string &path)
{
    return std::make_shared<FileSource>(path);
}

std::shared_ptr<ArjSource> MakeArjMemorySource(std::string bytes)
{
    return std::make_shared<MemorySource>(std::move(bytes));
}

}  // namespace zr::arj
