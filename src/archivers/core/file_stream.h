#pragma once
// A read-only view of a file from a given offset on, handed to libarchive
// through its callbacks, so an archive inside an executable reads as if it
// started the file.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <archive.h>

namespace zr::archivers {

class FileStream {
public:
    FileStream() = default;
    ~FileStream();
    FileStream(const FileStream &) = delete;
    FileStream &operator=(const FileStream &) = delete;

    bool open(const std::string &path, std::uint64_t base);
    // The same in two steps, so the file's own handle can be read (where the
    // archive starts) before the base is known: one open per archive.
    bool open(const std::string &path);
    bool setBase(std::uint64_t base);
    int fd() const { return fd_; }
    std::uint64_t size() const { return size_; }  // bytes from the base to the end

    // Installs the callbacks and opens `a`; returns libarchive's status.
    int attach(struct archive *a);

    // Asked before every read of compressed data once set, so work that
    // reports no progress of its own (decompressing the skipped entries of
    // a solid block) can still be stopped; false fails the read.
    void setStopCheck(std::function<bool()> keepGoing) { keepGoing_ = std::move(keepGoing); }
    bool stopped() const { return stopped_; }

private:
    static la_ssize_t Read(struct archive *, void *self, const void **buffer);
    static la_int64_t Skip(struct archive *, void *self, la_int64_t request);
    static la_int64_t Seek(struct archive *, void *self, la_int64_t offset, int whence);

    int fd_ = -1;
    std::uint64_t fileSize_ = 0;
    std::uint64_t base_ = 0;
    std::uint64_t size_ = 0;
    std::uint64_t position_ = 0;
    std::unique_ptr<char[]> buffer_;
    std::size_t bufferSize_ = 0;
    std::function<bool()> keepGoing_;
    bool stopped_ = false;
};

}  // namespace zr::archivers
