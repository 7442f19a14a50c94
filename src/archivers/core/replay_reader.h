#pragma once
// Walks a remembered archive again without touching the file: the entries
// as the real reader gave them and the kept data. Skipping an entry spends
// the unwritten budget as decompressing it did, so a check or count over a
// bomb fails the same way. Only opened when the data the caller wants is
// kept whole.

#include <memory>

#include "archivers/core/archive_reader.h"
#include "archivers/core/walk_memo.h"

namespace zr::archivers {

class ReplayReader final : public ArchiveReader {
public:
    ReplayReader(std::shared_ptr<const RememberedWalk> walk, const OpenOptions &options);

    ReadStatus next(EntryInfo &entry) override;
    DataStatus readData(const DataSink &sink) override;
    std::uint64_t archiveOffset() const override { return walk_->archiveOffset; }
    bool skipDecompresses() const override { return true; }
    int archiveType() const override { return walk_->archiveType; }

private:
    bool spendRest();

    std::shared_ptr<const RememberedWalk> walk_;
    std::uint64_t unwrittenLeft_;
    std::size_t next_ = 0;  // index of the entry next() gives
    const RememberedEntry *current_ = nullptr;
    std::uint64_t position_ = 0;  // bytes of the current entry given or skipped
    bool pending_ = false;        // the current entry's data is not read to its end
};

}  // namespace zr::archivers
