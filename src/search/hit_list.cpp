#include "search/hit_list.h"

#include <new>

#include "search/search_errors.h"

namespace zr::search {
namespace {

bool NewArchive(const std::vector<THitRecord> &records, std::size_t i)
{
    return i == 0 || records[i].ArchivePath != records[i - 1].ArchivePath;
}

bool NewStoredFile(const std::vector<THitRecord> &records, std::size_t i)
{
    return NewArchive(records, i) || records[i].StoredName != records[i - 1].StoredName ||
           records[i].Via != records[i - 1].Via;
}

}  // namespace

void HitList::Append(THitRecord record)
{
    try {
        records_.push_back(std::move(record));
    } catch (const std::bad_alloc &) {
        throw EMemoryAllocate();
    }
}

int HitList::CountArchivesWithHits() const
{
    int count = 0;
    for (std::size_t i = 0; i < records_.size(); ++i)
        count += NewArchive(records_, i);
    return count;
}

int HitList::CountFilesWithHits() const
{
    int count = 0;
    for (std::size_t i = 0; i < records_.size(); ++i)
        count += NewStoredFile(records_, i);
    return count;
}

std::vector<std::size_t> HitList::ArchiveStarts() const
{
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < records_.size(); ++i)
        if (NewArchive(records_, i))
            starts.push_back(i);
    return starts;
}

HitRange HitList::RecordsOfArchive(std::size_t archiveStart) const
{
    if (archiveStart >= records_.size())
        return {records_.size(), records_.size()};
    std::size_t last = archiveStart + 1;
    while (last < records_.size() && !NewArchive(records_, last))
        ++last;
    return {archiveStart, last};
}

HitRange HitList::RecordsOfArchive(const std::string &archivePath) const
{
    for (std::size_t i = 0; i < records_.size(); ++i)
        if (records_[i].ArchivePath == archivePath)
            return RecordsOfArchive(i);
    return {records_.size(), records_.size()};
}

std::vector<std::size_t> HitList::StoredFileRows(HitRange range) const
{
    std::vector<std::size_t> rows;
    for (std::size_t i = range.first; i < range.last && i < records_.size(); ++i)
        if (i == range.first || records_[i].StoredName != records_[rows.back()].StoredName ||
            records_[i].Via != records_[rows.back()].Via)
            rows.push_back(i);
    return rows;
}

std::vector<std::string> HitList::ArchivePaths() const
{
    std::vector<std::string> paths;
    for (std::size_t start : ArchiveStarts())
        paths.push_back(records_[start].ArchivePath);
    return paths;
}

}  // namespace zr::search
