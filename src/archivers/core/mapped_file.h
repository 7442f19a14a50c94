#pragma once
// A whole file mapped read-only, for header scans. Empty when the file
// cannot be read (or is empty). A file shortened while it is mapped reads as
// zeros past its new end instead of ending the process with SIGBUS.

#include <cstddef>
#include <string>
#include <string_view>

namespace zr::archivers {

class MappedFile {
public:
    explicit MappedFile(const std::string &path);
    // Maps a file already open; the handle stays the caller's.
    explicit MappedFile(int fd);
    ~MappedFile();
    MappedFile(const MappedFile &) = delete;
    MappedFile &operator=(const MappedFile &) = delete;
    std::string_view view() const { return {data_, size_}; }
    // Tells the kernel the file is read once from start to end (read-ahead).
    void adviseSequential() const;
    // Drops the pages before `offset` from memory (they are read again if
    // needed), so a reader going through a big file keeps a small footprint.
    void releaseBefore(std::size_t offset);

private:
    void map(int fd);

    const char *data_ = nullptr;
    std::size_t size_ = 0;
    int slot_ = -1;  // its entry among the guarded mappings, -1 when read into copy_
    std::string copy_;
    std::size_t released_ = 0;
};

}  // namespace zr::archivers
