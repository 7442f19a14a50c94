#pragma once
// What tells one state of a file from another: its identity and time stamps
// (cheap, from stat) and a hash of its bytes (the stamps alone miss a file
// rewritten in place with the same size within one clock tick).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zr::archivers {

struct FileStamp {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;
    std::int64_t changedNs = 0;

    bool operator==(const FileStamp &) const = default;
};

// Empty when the path is no readable regular file.
std::optional<FileStamp> StampOf(const std::string &path);

// A fast 64-bit hash of the whole file; empty when it cannot be read.
std::optional<std::uint64_t> ContentHashOf(const std::string &path);

// The hash above over bytes in memory (the file is hashed in chunks with the
// same result).
class ContentHasher {
public:
    void add(std::string_view bytes);
    std::uint64_t finish() const;

private:
    void stripe(const unsigned char *p);

    std::uint64_t lanes_[4] = {0x60ea27eeadc0b5d6ull + 0xc2b2ae3d27d4eb4full, 0xc2b2ae3d27d4eb4full, 0,
                               0x61c8864e7a143579ull};
    unsigned char pending_[32] = {};
    std::size_t pendingSize_ = 0;
    std::uint64_t total_ = 0;
};

}  // namespace zr::archivers
