#include "archivers/core/recording_reader.h"

namespace zr::archivers {

RecordingReader::RecordingReader(std::unique_ptr<ArchiveReader> inner, WalkMemo &memo, std::string path,
                                 FileStamp stamp, const OpenOptions &options)
    : inner_(std::move(inner)), memo_(memo), walk_(std::make_unique<RememberedWalk>()),
      budgetLeft_(memo.dataBudget())
{
    walk_->path = std::move(path);
    walk_->stamp = stamp;
    walk_->tolerantOpen = options.tolerateBrokenHeaders;
}

void RecordingReader::takeInnerState()
{
    if (!inner_->errorText().empty())
        setError(inner_->errorText(), inner_->errorIsFatal(), inner_->errorIsLockedArchive());
    if (!inner_->endNote().empty())
        setEndNote(inner_->endNote());
    if (inner_->stoppedByCaller())
        setStoppedByCaller();
}

void RecordingReader::abandon()
{
    if (!walk_)
        return;
    walk_.reset();
    memo_.drop();
}

void RecordingReader::forgetData(RememberedEntry &entry)
{
    budgetLeft_ += entry.data.size();
    std::string().swap(entry.data);
    entry.dataWhole = false;
}

// Null data is a hole of `size` zero bytes in a sparse entry: kept as
// zeros, but skipping it costs nothing.
void RecordingReader::observe(const char *data, std::size_t size)
{
    if (!walk_ || walk_->entries.empty())
        return;
    RememberedEntry &entry = walk_->entries.back();
    if (data)
        entry.decompressed += size;
    if (!entry.dataWhole)
        return;
    if (size > budgetLeft_) {
        forgetData(entry);
        return;
    }
    if (entry.data.empty() && entry.info.size <= budgetLeft_)
        entry.data.reserve(entry.info.size);
    if (data)
        entry.data.append(data, size);
    else
        entry.data.append(size, '\0');
    budgetLeft_ -= size;
}

void RecordingReader::noteData(DataStatus status)
{
    if (status == DataStatus::kError) {
        abandon();
        return;
    }
    if (status == DataStatus::kComplete) {
        current_ = DataState::kWhole;
        return;
    }
    // Stopped part-way: what the caller did not take is not kept, but the
    // rest is still counted when skipped.
    current_ = DataState::kPartial;
    if (walk_ && !walk_->entries.empty())
        forgetData(walk_->entries.back());
}

DataStatus RecordingReader::skipCurrent()
{
    const DataStatus status =
        inner_->skipData([this](const char *data, std::size_t size) { return observe(data, size), true; });
    noteData(status);
    return status;
}

ReadStatus RecordingReader::next(EntryInfo &entry)
{
    // Decompress what the real reader would skip anyway, keeping it.
    if (walk_ && current_ != DataState::kWhole && inner_->skipDecompresses() &&
        skipCurrent() == DataStatus::kError) {
        takeInnerState();
        return ReadStatus::kError;
    }
    const ReadStatus status = inner_->next(entry);
    takeInnerState();
    if (status == ReadStatus::kError) {
        abandon();
        return status;
    }
    if (status == ReadStatus::kEnd) {
        keepWalk();
        return status;
    }
    current_ = DataState::kUnread;
    if (walk_ && !inner_->skipDecompresses())
        walk_.reset();  // cheap to walk again: nothing worth keeping
    // The entries themselves count against the budget too, so a listing of
    // millions of entries is walked again rather than held.
    const std::uint64_t entryCost = sizeof(RememberedEntry) + entry.name.capacity() +
                                    entry.method.capacity() + entry.attributes.capacity();
    if (walk_ && entryCost > budgetLeft_)
        walk_.reset();
    if (walk_) {
        budgetLeft_ -= entryCost;
        RememberedEntry &kept = walk_->entries.emplace_back();
        kept.info = entry;
        // An entry the header already shows to be over what is left is not
        // kept at all: growing a buffer up to the budget only to drop it
        // doubled the budget in passing (a 200 MB line peaked at 74 MB).
        kept.dataWhole = !entry.encrypted && !entry.unsupported && entry.size <= budgetLeft_;
    }
    return status;
}

DataStatus RecordingReader::readData(const DataSink &sink)
{
    DataStatus status;
    if (!walk_) {
        status = inner_->readData(sink);
    } else if (!sink && inner_->skipDecompresses()) {
        status = skipCurrent();
    } else if (!sink) {
        status = inner_->readData(nullptr);
        noteData(status);
    } else {
        status = inner_->readData([&](const char *data, std::size_t size) {
            observe(data, size);
            return sink(data, size);
        });
        noteData(status);
    }
    takeInnerState();
    return status;
}

void RecordingReader::keepWalk()
{
    if (!walk_ || !inner_->skipDecompresses())
        return;
    std::unique_ptr<RememberedWalk> walk = std::move(walk_);
    // The file must be the one whose bytes were read.
    const auto stamp = StampOf(walk->path);
    const auto hash = ContentHashOf(walk->path);
    if (!stamp || !(*stamp == walk->stamp) || !hash)
        return;
    walk->contentHash = *hash;
    walk->endNote = inner_->endNote();
    walk->archiveOffset = inner_->archiveOffset();
    walk->archiveType = inner_->archiveType();
    memo_.keep(std::move(walk));
}

}  // namespace zr::archivers
