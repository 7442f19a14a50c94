#pragma once
// Plays a pack back to a walker as the library would have walked the
// archive: the same offers in the same order, the taken entries' data and
// their ends, the walk's result and message. The whole pack is checked
// before the first call, so a torn or foreign one is never half used.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "archive/archiver_binding.h"
#include "search/content_pack.h"

namespace zr::search {

class PackReplay {
public:
    enum class Verdict {
        kMissing,  // no pack
        kUsable,
        kStale,   // a whole pack of another walk or of the archive before it changed
        kBroken,  // torn, damaged or not a pack at all
    };

    static std::unique_ptr<PackReplay> Open(const std::string &path, const PackScope &scope,
                                            Verdict &verdict);
    ~PackReplay();
    PackReplay(const PackReplay &) = delete;
    PackReplay &operator=(const PackReplay &) = delete;

    // Every entry the walker would take has its data in the pack, as a walk
    // under this file-size limit would give it: a walker that takes every
    // entry it may (listOnly false) or none (true).
    bool Covers(bool listOnly, std::uint64_t entryLimit) const;

    // The walk's result (ZR_ARC_*); `message` as the library gives it.
    int Replay(archive::TEntryWalker &walker, std::string *message);

    // When the pack was last made or used (ns since the epoch).
    std::int64_t UsedNs() const { return usedNs_; }

    // Bytes of data handed out at a time.
    static constexpr std::size_t kChunk = 256 * 1024;

private:
    PackReplay(void *map, std::size_t mapSize, PackIndex index, std::string_view data, std::int64_t usedNs);

    void *map_;
    std::size_t mapSize_;
    PackIndex index_;
    std::string_view data_;
    std::int64_t usedNs_;
};

}  // namespace zr::search
