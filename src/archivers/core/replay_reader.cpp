#include "archivers/core/replay_reader.h"

#include <algorithm>

namespace zr::archivers {

namespace {

// What the real reader hands over at a time, about.
constexpr std::size_t kReplayBlock = 64u << 10;

}  // namespace

ReplayReader::ReplayReader(std::shared_ptr<const RememberedWalk> walk, const OpenOptions &options)
    : walk_(std::move(walk)), unwrittenLeft_(options.unwrittenBudget)
{
}

bool ReplayReader::spendRest()
{
    const std::uint64_t rest = current_->decompressed > position_ ? current_->decompressed - position_ : 0;
    pending_ = false;
    position_ = current_->decompressed;
    if (rest > unwrittenLeft_) {
        setError(kUnwrittenBudgetError, true);
        return false;
    }
    unwrittenLeft_ -= rest;
    return true;
}

ReadStatus ReplayReader::next(EntryInfo &entry)
{
    if (pending_ && !spendRest())
        return ReadStatus::kError;
    if (next_ >= walk_->entries.size()) {
        if (!walk_->endNote.empty())
            setEndNote(walk_->endNote);
        return ReadStatus::kEnd;
    }
    current_ = &walk_->entries[next_++];
    entry = current_->info;
    position_ = 0;
    pending_ = true;
    return ReadStatus::kOk;
}

DataStatus ReplayReader::readData(const DataSink &sink)
{
    if (!current_)
        return DataStatus::kComplete;
    if (!sink)
        return spendRest() ? DataStatus::kComplete : DataStatus::kError;
    if (!current_->dataWhole) {
        // The opener serves only walks whose wanted data is kept.
        setError("data not available", true);
        return DataStatus::kError;
    }
    const std::string &data = current_->data;
    while (position_ < data.size()) {
        const std::size_t size = std::min<std::size_t>(kReplayBlock, data.size() - position_);
        const char *slice = data.data() + position_;
        position_ += size;
        if (!sink(slice, size))
            return DataStatus::kStopped;
    }
    pending_ = false;
    return DataStatus::kComplete;
}

}  // namespace zr::archivers
