#pragma once
// The folder of packs (see content_pack.h): one pack per archive on disk,
// named after its device and inode, written to a temporary file that is
// synced and renamed into place, so a reader sees a whole pack or none.
// Bounds: a total size (the smaller of the setting and a tenth of the free
// space of its file system) kept by removing the least recently used packs,
// and an age past which a pack leaves. Several processes share the folder;
// trimming and clearing run under a lock on its "lock" file, and a
// temporary file stays locked by its writer so a trim removes only those
// whose writer is gone.
//
// A folder that cannot be written (read-only, full) turns the cache off
// for the rest of the run; the search goes on without it.

#include <cstdint>
#include <string>

#include "search/content_cache_setup.h"
#include "search/content_pack.h"

namespace zr::search {

// A pack being written; removed when dropped unpublished.
class TempPack {
public:
    TempPack() = default;
    TempPack(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    ~TempPack();
    TempPack(TempPack &&other) noexcept;
    TempPack &operator=(TempPack &&) = delete;
    TempPack(const TempPack &) = delete;

    int Fd() const { return fd_; }
    const std::string &Path() const { return path_; }
    explicit operator bool() const { return fd_ >= 0; }
    // The file was renamed away: nothing to remove.
    void Release();

private:
    int fd_ = -1;
    std::string path_;
};

class ContentCache {
public:
    explicit ContentCache(CacheSetup setup);

    bool On() const { return on_; }
    const std::string &Folder() const { return setup_.folder; }
    // Why the cache went off ("" while it is on or was never set).
    const std::string &OffReason() const { return offReason_; }

    // Makes the folder (0700), proves it can be written and trims it to its
    // bounds; false turns the cache off (see OffReason).
    bool Prepare();

    std::string PackPath(const ArchiveIdentity &archive) const;
    // The most one pack may take on disk.
    std::uint64_t PackLimit() const { return packLimit_; }

    TempPack BeginPack();
    // Syncs and renames the pack into place, then trims the folder.
    bool Publish(TempPack &pack, const std::string &packPath);
    // Marks a pack as just used (its time orders the trim); a pack used
    // less than a minute ago keeps its time, which spares a write per
    // archive when one search follows another.
    void Touch(const std::string &packPath, std::int64_t usedNs = 0);
    // A write failed: a full or read-only file system turns the cache off.
    void NoteWriteFailure(int error);

    // Removes what is past the bounds; safe beside other processes.
    void Trim();
    // Removes every pack and every abandoned temporary file; false with
    // `why` when the folder could not be emptied.
    static bool Clear(const std::string &folder, std::string *why = nullptr);
    // What the folder's packs take on disk now.
    static std::uint64_t FolderBytes(const std::string &folder);

private:
    void TurnOff(const std::string &why);
    std::uint64_t SizeBudget() const;

    CacheSetup setup_;
    bool on_;
    std::string offReason_;
    std::uint64_t packLimit_ = 0;
    std::uint64_t publishedSinceTrim_ = 0;
};

// Readies the run's cache folder before the run starts; when it cannot be
// used, clears setup.folder (no cache for this run) and answers why.
std::string PrepareRunCache(CacheSetup &setup);

}  // namespace zr::search
