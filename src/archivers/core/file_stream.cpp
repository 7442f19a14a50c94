#include "archivers/core/file_stream.h"

#include <archive.h>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zr::archivers {

namespace {
constexpr std::size_t kBlockSize = 1 << 20;
// Small enough that even well-compressed text yields only a few MiB between
// two stop checks.
constexpr std::size_t kCheckedBlockSize = 64 << 10;
}  // namespace

FileStream::~FileStream()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool FileStream::open(const std::string &path, std::uint64_t base) { return open(path) && setBase(base); }

bool FileStream::open(const std::string &path)
{
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0)
        return false;
    struct stat st {};
    if (fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    fileSize_ = static_cast<std::uint64_t>(st.st_size);
    return true;
}

bool FileStream::setBase(std::uint64_t base)
{
    if (fd_ < 0 || fileSize_ < base)
        return false;
    base_ = base;
    size_ = fileSize_ - base;
    // No bigger than the file (most archives of text are far smaller than a
    // block) and not zero-filled: it is opened several times per archive.
    bufferSize_ =
        static_cast<std::size_t>(std::max<std::uint64_t>(1, std::min<std::uint64_t>(kBlockSize, size_)));
    buffer_ = std::make_unique_for_overwrite<char[]>(bufferSize_);
    return true;
}

int FileStream::attach(struct archive *a)
{
    archive_read_set_callback_data(a, this);
    archive_read_set_read_callback(a, &FileStream::Read);
    archive_read_set_skip_callback(a, &FileStream::Skip);
    archive_read_set_seek_callback(a, &FileStream::Seek);
    return archive_read_open1(a);
}

la_ssize_t FileStream::Read(struct archive *a, void *self, const void **buffer)
{
    auto *s = static_cast<FileStream *>(self);
    *buffer = s->buffer_.get();
    if (s->position_ >= s->size_)
        return 0;
    if (s->keepGoing_ && !s->keepGoing_()) {
        s->stopped_ = true;
        archive_set_error(a, ECANCELED, "Cancelled.");
        return -1;
    }
    const std::size_t block = s->keepGoing_ ? kCheckedBlockSize : kBlockSize;
    const std::size_t want = static_cast<std::size_t>(
        std::min<std::uint64_t>(std::min(block, s->bufferSize_), s->size_ - s->position_));
    ssize_t got;
    do {
        got = ::pread(s->fd_, s->buffer_.get(), want, static_cast<off_t>(s->base_ + s->position_));
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
        archive_set_error(a, errno, "read error");
        return -1;
    }
    s->position_ += static_cast<std::uint64_t>(got);
    return got;
}

la_int64_t FileStream::Skip(struct archive *, void *self, la_int64_t request)
{
    auto *s = static_cast<FileStream *>(self);
    const std::uint64_t left = s->size_ - std::min(s->position_, s->size_);
    const std::uint64_t step = std::min<std::uint64_t>(static_cast<std::uint64_t>(request), left);
    s->position_ += step;
    return static_cast<la_int64_t>(step);
}

la_int64_t FileStream::Seek(struct archive *, void *self, la_int64_t offset, int whence)
{
    auto *s = static_cast<FileStream *>(self);
    la_int64_t from = 0;
    if (whence == SEEK_CUR)
        from = static_cast<la_int64_t>(s->position_);
    else if (whence == SEEK_END)
        from = static_cast<la_int64_t>(s->size_);
    la_int64_t target = 0;
    // Offsets come from the archive's own fields: a huge one must not wrap.
    if (__builtin_add_overflow(from, offset, &target) || target < 0)
        return ARCHIVE_FATAL;
    s->position_ = static_cast<std::uint64_t>(target);
    return target;
}

}  // namespace zr::archivers
