#pragma once
// The hits of one run in run order: all records of one archive are adjacent,
// and within an archive all records of one stored file are adjacent.

#include <cstddef>
#include <vector>

#include "search/hit_record.h"

namespace zr::search {

// A half-open range of record indices [first, last).
struct HitRange {
    std::size_t first = 0;
    std::size_t last = 0;
    std::size_t size() const { return last - first; }
    bool empty() const { return first == last; }
};

class HitList {
public:
    void Append(THitRecord record);
    void Clear() { records_.clear(); }
    std::size_t Size() const { return records_.size(); }
    bool Empty() const { return records_.empty(); }
    const THitRecord &At(std::size_t index) const { return records_.at(index); }
    const std::vector<THitRecord> &Records() const { return records_; }

    // Records whose archive differs from the record before (the first counts).
    int CountArchivesWithHits() const;
    // Records whose archive or stored name differs from the record before.
    int CountFilesWithHits() const;

    // Index of the first record of each archive, in run order (the tree's
    // nodes and the root's list).
    std::vector<std::size_t> ArchiveStarts() const;
    // The records of the archive whose first record is at archiveStart.
    HitRange RecordsOfArchive(std::size_t archiveStart) const;
    // The records of the archive with this path (empty when it has none).
    HitRange RecordsOfArchive(const std::string &archivePath) const;
    // With line display off: the index of the first record of each stored
    // file within range (one row per stored file).
    std::vector<std::size_t> StoredFileRows(HitRange range) const;
    // The archive paths with hits, each once, in run order.
    std::vector<std::string> ArchivePaths() const;

private:
    std::vector<THitRecord> records_;
};

}  // namespace zr::search
