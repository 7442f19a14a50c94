#pragma once
// How far a search goes into archives stored inside archives.

#include <cstdint>

namespace zr::search {

inline constexpr int kDefaultNestDepth = 3;
inline constexpr int kMaxNestDepth = 8;

struct NestSettings {
    bool enabled = true;               // off: a stored archive is scanned as a plain file
    int maxDepth = kDefaultNestDepth;  // levels below the archive on disk
    // What the archives inside one archive on disk may decompress in all,
    // and keep in memory while they are read; 0 = the defaults below.
    std::uint64_t dataBudget = 0;
    std::uint64_t memoryBudget = 0;

    bool operator==(const NestSettings &) const = default;
};

// Data decompressed inside the nested archives of one archive on disk.
inline constexpr std::uint64_t kDefaultNestDataBudget = std::uint64_t{4} << 30;
// Nested archives held in memory at once (the rest go to a work file).
inline constexpr std::uint64_t kDefaultNestMemoryBudget = std::uint64_t{32} << 20;

// A stored depth setting brought into 0..kMaxNestDepth.
int NestDepthSetting(int stored);

}  // namespace zr::search
