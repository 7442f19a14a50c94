#pragma once
// Passes a real reader's walk through unchanged and, when skipping its
// entries costs decompression, keeps what the walk decompresses anyway:
// every entry, and the data within the memo's budget. Only a walk that
// reaches the end without an error, over a file still unchanged, becomes
// the memo.

#include <memory>
#include <string>

#include "archivers/core/archive_reader.h"
#include "archivers/core/walk_memo.h"

namespace zr::archivers {

class RecordingReader final : public ArchiveReader {
public:
    RecordingReader(std::unique_ptr<ArchiveReader> inner, WalkMemo &memo, std::string path, FileStamp stamp,
                    const OpenOptions &options);

    ReadStatus next(EntryInfo &entry) override;
    DataStatus readData(const DataSink &sink) override;
    std::uint64_t archiveOffset() const override { return inner_->archiveOffset(); }
    void setStopCheck(std::function<bool()> keepGoing) override
    {
        inner_->setStopCheck(std::move(keepGoing));
    }
    bool skipDecompresses() const override { return inner_->skipDecompresses(); }
    int archiveType() const override { return inner_->archiveType(); }

private:
    enum class DataState { kUnread, kPartial, kWhole };

    DataStatus skipCurrent();
    void observe(const char *data, std::size_t size);
    void noteData(DataStatus status);
    void keepWalk();
    void abandon();
    void forgetData(RememberedEntry &entry);
    void takeInnerState();

    std::unique_ptr<ArchiveReader> inner_;
    WalkMemo &memo_;
    std::unique_ptr<RememberedWalk> walk_;  // null once the walk cannot become a memo
    DataState current_ = DataState::kWhole;
    std::uint64_t budgetLeft_;
};

}  // namespace zr::archivers
