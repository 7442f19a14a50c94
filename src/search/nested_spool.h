#pragma once
// Where the bytes of an archive stored inside another one wait while its
// library reads them: a file that lives in memory while the nest's memory
// allowance holds it, otherwise a private file in the worker's folder whose
// name is removed as soon as it is made. Either way the library is given a
// path to the open file (/proc/self/fd/N), so it is read as any archive is.

#include <cstdint>
#include <string>
#include <string_view>

#include "regex/text_source.h"

namespace zr::search {

class NestedSpool {
public:
    // memoryAllowance: what may be held in memory; past it the bytes move to
    // a file in `folder`.
    NestedSpool(std::string folder, std::uint64_t memoryAllowance);
    ~NestedSpool();
    NestedSpool(const NestedSpool &) = delete;
    NestedSpool &operator=(const NestedSpool &) = delete;

    // False when the bytes cannot be kept (no file can be made, the disk is
    // full, past the file-size limit); Failure() says why.
    bool Write(std::string_view bytes);

    // The path a library opens the spooled bytes by.
    std::string Path() const;
    std::uint64_t Size() const { return size_; }
    // A hash of every byte written, to tell an archive that holds itself.
    std::uint64_t ContentHash() const { return hash_; }
    // The first bytes written (up to the head a kind judge needs).
    const std::string &Head() const { return head_; }
    bool InMemory() const { return inMemory_; }
    // The memory allowance it was given.
    std::uint64_t MemoryReserved() const { return reserved_; }
    const std::string &Failure() const { return failure_; }
    // Up to `wanted` bytes from `offset`; 0 at the end or on failure.
    std::size_t ReadAt(std::uint64_t offset, char *dest, std::size_t wanted) const;

private:
    bool Open();
    bool MoveToDisk();

    std::string folder_;
    std::uint64_t memoryAllowance_;
    std::uint64_t reserved_;
    int fd_ = -1;
    bool inMemory_ = false;
    bool failed_ = false;
    std::uint64_t size_ = 0;
    std::uint64_t hash_ = 0;
    std::string head_;
    std::string failure_;
};

// The spooled bytes from the start, for a scan of them as a plain file.
class SpoolByteStream final : public regex::TByteStream {
public:
    explicit SpoolByteStream(const NestedSpool &spool) : spool_(spool) {}
    std::size_t Read(char *dest, std::size_t wanted) override
    {
        const std::size_t n = spool_.ReadAt(at_, dest, wanted);
        at_ += n;
        return n;
    }

private:
    const NestedSpool &spool_;
    std::uint64_t at_ = 0;
};

// True when the spool holds exactly the bytes of the file at `path`.
bool SpoolHoldsFile(const NestedSpool &spool, const std::string &path);

// The same hash over bytes in hand (an archive on disk read whole).
std::uint64_t NestContentHash(std::string_view bytes, std::uint64_t seed = 0);

}  // namespace zr::search
