#pragma once
// The file format of one cached archive ("pack"): a fixed header naming the
// archive it was made from and how it was walked, the decompressed bytes of
// the entries taken (one zstd stream, in walk order), then an index of every
// entry offered with how its data ended. A checksum over everything after the
// header lets a torn or foreign pack be told apart before anything of it is
// used.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "archive/archive_records.h"

namespace zr::search {

// What identifies an archive's bytes on disk without reading them.
struct ArchiveIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t mtimeNs = 0;
    std::int64_t ctimeNs = 0;
    bool operator==(const ArchiveIdentity &) const = default;
};

// Follows links, as the libraries do when they open the archive.
std::optional<ArchiveIdentity> IdentityOf(const std::string &path);

// Everything a walk's offers and data depend on besides the archive itself.
struct PackScope {
    ArchiveIdentity archive;
    std::uint32_t archiveType = 0;  // the library that walked it
    std::uint32_t mode = 0;         // the walk's open mode
    std::string wildcards;          // the stored-file filter
    bool operator==(const PackScope &) const = default;
};

struct PackEntry {
    archive::TIndividualInfo record{};
    std::string fullName;
    std::int32_t refusal = 0;
    bool taken = false;  // its data is in the pack
    std::uint64_t dataSize = 0;
    std::int32_t endResult = 0;
    std::string endReason;
};

struct PackIndex {
    PackScope scope;
    std::uint64_t entryLimit = 0;  // the file-size limit taken entries were cut at
    std::vector<PackEntry> entries;
    std::int32_t walkResult = 0;
    std::string message;
};

// Header: magic, data size, index size, checksum.
inline constexpr std::size_t kPackHeaderSize = 32;

std::string EncodeIndex(const PackIndex &index);
std::optional<PackIndex> DecodeIndex(std::string_view bytes);

std::string EncodePackHeader(std::uint64_t dataSize, std::uint64_t indexSize, std::uint64_t checksum);
struct PackHeader {
    std::uint64_t dataSize = 0;
    std::uint64_t indexSize = 0;
    std::uint64_t checksum = 0;
};
std::optional<PackHeader> DecodePackHeader(std::string_view bytes);

// A fast 64-bit checksum, fed piece by piece (pieces of any size give the
// same value as the whole).
class PackChecksum {
public:
    void Add(std::string_view bytes);
    std::uint64_t Value() const;

private:
    void Word(std::uint64_t word);
    std::uint64_t lanes_[4] = {0x9E3779B97F4A7C15ull, 0xC2B2AE3D27D4EB4Full, 0x165667B19E3779F9ull,
                               0x27D4EB2F165667C5ull};
    std::uint64_t length_ = 0;
    unsigned char pending_[8] = {};
    std::size_t pendingSize_ = 0;
};

}  // namespace zr::search
