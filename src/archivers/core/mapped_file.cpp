#include "archivers/core/mapped_file.h"

#include <algorithm>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zr::archivers {

MappedFile::MappedFile(const std::string &path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    struct stat st {};
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
        void *m = mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
        if (m != MAP_FAILED) {
            data_ = static_cast<const char *>(m);
            size_ = static_cast<std::size_t>(st.st_size);
        }
    }
    ::close(fd);
}

void MappedFile::adviseSequential() const
{
    if (data_)
        posix_madvise(const_cast<char *>(data_), size_, POSIX_MADV_SEQUENTIAL);
}

void MappedFile::releaseBefore(std::size_t offset)
{
    const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    const std::size_t end = std::min(offset, size_) / page * page;
    // In steps of 1 MiB: one call per page would cost more than it saves.
    if (!data_ || end < released_ + (std::size_t{1} << 20))
        return;
    madvise(const_cast<char *>(data_) + released_, end - released_, MADV_DONTNEED);
    released_ = end;
}

MappedFile::~MappedFile()
{
    if (data_)
        munmap(const_cast<char *>(data_), size_);
}

}  // namespace zr::archivers
