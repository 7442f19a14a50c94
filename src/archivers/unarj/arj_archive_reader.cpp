#include "archivers/unarj/arj_archive_reader.h"

#include "archivers/arj/arj_reader.h"
#include "archivers/arj/arj_timestamp.h"
#include "archivers/core/entry_details.h"
#include "archivers/core/signature_scan.h"
#include "archivers/core/stored_name.h"

namespace zr::archivers {

namespace {

bool HasDosAttributes(std::uint8_t hostOs)
{
    using arj::ArjHostOs;
    return hostOs == static_cast<std::uint8_t>(ArjHostOs::kMsDos) ||
           hostOs == static_cast<std::uint8_t>(ArjHostOs::kWin95) ||
           hostOs == static_cast<std::uint8_t>(ArjHostOs::kWin32) ||
           hostOs == static_cast<std::uint8_t>(ArjHostOs::kOs2);
}

EntryInfo Describe(const arj::ArjEntry &e)
{
    EntryInfo entry;
    entry.name = NormaliseSeparators(StoredNameToUtf8(e.name));
    if (e.isDirectory()) {
        entry.kind = EntryKind::kFolder;
        if (!entry.name.empty() && entry.name.back() != '/')
            entry.name += '/';
    } else if (!e.hasData()) {
        entry.kind = EntryKind::kSpecial;  // volume or chapter label
    }
    entry.size = e.originalSize;
    entry.compressedSize = e.compressedSize;
    entry.crc = e.crc32;
    entry.osType = e.hostOs;
    entry.modified = static_cast<std::time_t>(arj::ArjTimeToUnixTime(e.modifiedTime, e.hostOs));
    entry.method = arj::ArjMethodName(e.method);
    if (HasDosAttributes(e.hostOs))
        entry.attributes = DosAttributeText(e.attributes & 0x3F);
    else if (!(e.attributes & 0200))
        entry.attributes[3] = 'R';
    entry.encrypted = e.isGarbled();
    entry.unsupported = e.continuesInNextVolume() || e.continuedFromPreviousVolume() || e.method > 4;
    return entry;
}

class ArjArchiveReader final : public ArchiveReader {
public:
    ArjArchiveReader(std::unique_ptr<arj::ArjReader> reader, std::uint64_t unwrittenBudget)
        : reader_(std::move(reader)), unwrittenLeft_(unwrittenBudget)
    {
    }

    ReadStatus next(EntryInfo &entry) override
    {
        if (index_ >= reader_->entries().size())
            return ReadStatus::kEnd;
        current_ = &reader_->entries()[index_++];
        entry = Describe(*current_);
        return ReadStatus::kOk;
    }

    DataStatus readData(const DataSink &sink) override
    {
        if (!current_ || !current_->hasData())
            return DataStatus::kComplete;
        bool overBudget = false;
        try {
            const bool complete = reader_->extract(*current_, [&](const char *data, std::size_t size) {
                if (sink)
                    return sink(data, size);
                overBudget = size > unwrittenLeft_;
                unwrittenLeft_ -= overBudget ? 0 : size;
                return !overBudget;
            });
            if (overBudget) {
                setError(kUnwrittenBudgetError, true);
                return DataStatus::kError;
            }
            return complete ? DataStatus::kComplete : DataStatus::kStopped;
        } catch (const arj::ArjError &e) {
            const bool fatal =
                e.code() == arj::ArjErrorCode::kIo || e.code() == arj::ArjErrorCode::kTruncated;
            setError(e.what(), fatal);
            return DataStatus::kError;
        }
    }

    std::uint64_t archiveOffset() const override { return reader_->archiveOffset(); }

private:
    std::unique_ptr<arj::ArjReader> reader_;
    std::size_t index_ = 0;
    const arj::ArjEntry *current_ = nullptr;
    std::uint64_t unwrittenLeft_;  // what checking may still decompress
};

}  // namespace

OpenResult OpenArjArchiveReader(const std::string &path, const OpenOptions &options)
{
    OpenResult result;
    try {
        std::uint64_t offset = 0;
        if (StartsWithMz(path)) {
            const auto found = arj::FindArjArchive(path);
            if (!found) {
                result.error = "no ARJ archive in the executable";
                return result;
            }
            offset = *found;
        }
        result.reader = std::make_unique<ArjArchiveReader>(std::make_unique<arj::ArjReader>(path, offset),
                                                           options.unwrittenBudget);
    } catch (const std::exception &e) {
        result.error = e.what();
    }
    return result;
}

}  // namespace zr::archivers
