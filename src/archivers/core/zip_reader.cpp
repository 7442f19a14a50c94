#include "archivers/core/zip_reader.h"

#include <algorithm>
#include <memory>

#include "archivers/core/dos_time.h"
#include "archivers/core/entry_details.h"
#include "archivers/core/libarchive_reader.h"
#include "archivers/core/mapped_file.h"
#include "archivers/core/stored_name.h"
#include "archivers/core/zip_directory.h"
#include "platform/codepage.h"

namespace zr::archivers {

namespace {

constexpr std::size_t kChunkSize = 256 * 1024;

enum class UnixType { kNone, kFile, kFolder, kLink, kSpecial };

bool IsEncrypted(const ZipEntryRecord &e) { return (e.flags & kZipEncrypted) || e.method == kZipAes; }

// Entries we decode ourselves; an encrypted one is only listed, whatever its method.
bool DecodedHere(const ZipEntryRecord &e)
{
    return IsEncrypted(e) || e.method == kZipStored || e.method == kZipDeflated;
}

UnixType UnixTypeOf(const ZipEntryRecord &e)
{
    if (e.host != 3 || (e.externalAttributes >> 16) == 0)
        return UnixType::kNone;
    switch ((e.externalAttributes >> 16) & 0170000) {
    case 0100000:
        return UnixType::kFile;
    case 0040000:
        return UnixType::kFolder;
    case 0120000:
        return UnixType::kLink;
    case 0:
        return UnixType::kNone;
    default:
        return UnixType::kSpecial;
    }
}

// Systems whose external attributes carry the DOS bits: DOS, NTFS, VM/CMS, VFAT.
bool HasDosAttributes(const ZipEntryRecord &e)
{
    return e.host == 0 || e.host == 10 || e.host == 11 || e.host == 14;
}

std::string EntryName(const ZipEntryRecord &e)
{
    if (e.unicodeName && platform::IsValidUtf8(*e.unicodeName))
        return NormaliseSeparators(*e.unicodeName);
    return NormaliseSeparators(StoredNameToUtf8(e.rawName));
}

EntryKind KindOf(const ZipEntryRecord &e, const std::string &name)
{
    switch (UnixTypeOf(e)) {
    case UnixType::kFolder:
        return EntryKind::kFolder;
    case UnixType::kLink:
        return EntryKind::kLink;
    case UnixType::kSpecial:
        return EntryKind::kSpecial;
    case UnixType::kFile:
    case UnixType::kNone:
        break;
    }
    if (!name.empty() && name.back() == '/')
        return EntryKind::kFolder;
    if (HasDosAttributes(e) && (e.externalAttributes & 0x10))
        return EntryKind::kFolder;
    return EntryKind::kFile;
}

std::string AttributesOf(const ZipEntryRecord &e)
{
    if (HasDosAttributes(e))
        return DosAttributeText(e.externalAttributes & 0x3F);
    if (UnixTypeOf(e) != UnixType::kNone && !((e.externalAttributes >> 16) & 0200))
        return DosAttributeText(0x01);
    return DosAttributeText(0);
}

class ZipReader final : public ArchiveReader {
public:
    ZipReader(std::unique_ptr<MappedFile> file, ZipDirectory directory, const OpenOptions &options,
              InflateBackend backend)
        : file_(std::move(file)), data_(file_->view()), directory_(std::move(directory)),
          unwrittenLeft_(options.unwrittenBudget), backend_(backend)
    {
        // Entries come in the order of their data, as a reader of the file
        // from front to back meets them.
        std::stable_sort(directory_.entries.begin(), directory_.entries.end(),
                         [](const ZipEntryRecord &a, const ZipEntryRecord &b) {
                             return a.localHeaderOffset < b.localHeaderOffset;
                         });
    }

    ReadStatus next(EntryInfo &entry) override;
    DataStatus readData(const DataSink &sink) override;
    // The central directory counts offsets from the archive's start, so it
    // is found without knowing a stub's size; the caller needs no offset.
    std::uint64_t archiveOffset() const override { return 0; }

private:
    DataStatus pushStored(std::string_view packed, const DataSink &sink);
    DataStatus pushInflated(std::string_view packed, const DataSink &sink);
    bool push(const char *data, std::size_t size, const DataSink &sink);
    DataStatus fail(std::string text, bool fatal);

    std::unique_ptr<MappedFile> file_;
    std::string_view data_;
    ZipDirectory directory_;
    std::size_t index_ = 0;  // the next entry
    const ZipEntryRecord *current_ = nullptr;
    std::uint64_t unwrittenLeft_;
    bool overBudget_ = false;
    InflateBackend backend_;
    std::unique_ptr<RawInflater> inflater_;
    std::unique_ptr<std::uint8_t[]> out_;
    std::uint32_t crc_ = 0;
    std::uint64_t produced_ = 0;
};

ReadStatus ZipReader::next(EntryInfo &entry)
{
    if (index_ >= directory_.entries.size()) {
        current_ = nullptr;
        return ReadStatus::kEnd;
    }
    current_ = &directory_.entries[index_++];
    const ZipEntryRecord &e = *current_;
    entry = EntryInfo{};
    entry.name = EntryName(e);
    entry.kind = KindOf(e, entry.name);
    if (entry.kind == EntryKind::kFolder && !entry.name.empty() && entry.name.back() != '/')
        entry.name += '/';
    entry.size = e.size;
    entry.compressedSize = e.compressedSize;
    entry.crc = e.crc;
    entry.osType = e.host;
    entry.modified = e.unixModified ? *e.unixModified : FromDosDateTime(e.dosDateTime);
    entry.method = ZipMethodText(e.method);
    entry.attributes = AttributesOf(e);
    entry.encrypted = IsEncrypted(e);
    return ReadStatus::kOk;
}

DataStatus ZipReader::fail(std::string text, bool fatal)
{
    setError(std::move(text), fatal);
    return DataStatus::kError;
}

bool ZipReader::push(const char *data, std::size_t size, const DataSink &sink)
{
    if (!sink) {
        if (size > unwrittenLeft_) {
            overBudget_ = true;
            return false;
        }
        unwrittenLeft_ -= size;
    }
    crc_ = Crc32Update(crc_, data, size);
    produced_ += size;
    return !sink || sink(data, size);
}

DataStatus ZipReader::pushStored(std::string_view packed, const DataSink &sink)
{
    if (packed.size() != current_->size)
        return fail("ZIP stored entry with two sizes", false);
    for (std::size_t at = 0; at < packed.size(); at += kChunkSize) {
        const std::size_t step = std::min(kChunkSize, packed.size() - at);
        if (!push(packed.data() + at, step, sink))
            return DataStatus::kStopped;
        file_->releaseBefore(static_cast<std::size_t>(packed.data() + at + step - data_.data()));
    }
    return DataStatus::kComplete;
}

DataStatus ZipReader::pushInflated(std::string_view packed, const DataSink &sink)
{
    if (!inflater_) {
        inflater_ = MakeRawInflater(backend_);
        out_ = std::make_unique_for_overwrite<std::uint8_t[]>(kChunkSize);  // written before read
    }
    inflater_->reset();
    InflateBuffers b;
    b.in = reinterpret_cast<const std::uint8_t *>(packed.data());
    b.inSize = packed.size();
    for (;;) {
        b.out = out_.get();
        b.outSize = kChunkSize;
        const std::size_t inBefore = b.inSize;
        const InflateStatus status = inflater_->inflate(b);
        const std::size_t size = kChunkSize - b.outSize;
        if (status == InflateStatus::kError)
            return fail(std::string("ZIP deflate data error: ") + inflater_->errorText(), false);
        // More than the directory promised is damage (or a bomb): stop at once.
        if (size > current_->size - produced_)
            return fail("ZIP entry larger than its stated size", false);
        if (size > 0 && !push(reinterpret_cast<const char *>(out_.get()), size, sink))
            return DataStatus::kStopped;
        file_->releaseBefore(static_cast<std::size_t>(reinterpret_cast<const char *>(b.in) - data_.data()));
        if (status == InflateStatus::kEnd)
            return DataStatus::kComplete;
        if (size == 0 && b.inSize == inBefore)
            return fail("truncated ZIP deflate data", false);
    }
}

DataStatus ZipReader::readData(const DataSink &sink)
{
    if (!current_)
        return fail("no current entry", true);
    const ZipEntryRecord &e = *current_;
    if (IsEncrypted(e))
        return fail("Encrypted entries are not supported", false);
    std::string error;
    const auto at = ZipEntryDataOffset(data_, directory_.base, e, error);
    if (!at)
        return fail(error, false);
    const std::string_view packed = data_.substr(*at, static_cast<std::size_t>(e.compressedSize));
    crc_ = 0;
    produced_ = 0;
    // Some writers store an empty entry as "deflated" with no data at all.
    const bool nothing = packed.empty() && e.size == 0;
    DataStatus status =
        e.method == kZipStored || nothing ? pushStored(packed, sink) : pushInflated(packed, sink);
    if (status == DataStatus::kStopped && overBudget_)
        return fail(kUnwrittenBudgetError, true);
    if (status != DataStatus::kComplete)
        return status;
    if (produced_ != e.size)
        return fail("ZIP entry shorter than its stated size", false);
    if (crc_ != e.crc)
        return fail("CRC error", false);
    return DataStatus::kComplete;
}

}  // namespace

OpenResult OpenOwnZipReader(const std::string &path, const OpenOptions &options, InflateBackend backend)
{
    OpenResult result;
    auto file = std::make_unique<MappedFile>(path);
    auto directory = ReadZipDirectory(file->view(), result.error);
    if (!directory)
        return result;
    for (const auto &e : directory->entries) {
        if (!DecodedHere(e) || e.diskStart != 0) {
            result.error = "ZIP entry in a method decoded elsewhere";
            return result;
        }
    }
    result.reader = std::make_unique<ZipReader>(std::move(file), std::move(*directory), options, backend);
    return result;
}

OpenResult OpenZipArchive(const std::string &path, const OpenOptions &options)
{
    OpenResult own = OpenOwnZipReader(path, options);
    if (own.reader)
        return own;
    // Other methods, a damaged directory or none at all: libarchive reads
    // what it can (a truncated archive's local headers, for one).
    return OpenLibarchiveReader(path, LibarchiveFormat::kZip, options);
}

}  // namespace zr::archivers
