#include "archivers/core/zip_directory.h"

#include "archivers/core/byte_view.h"
#include "archivers/core/raw_inflater.h"

namespace zr::archivers {

namespace {

constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::uint32_t kZip64EndSignature = 0x06064b50;
constexpr std::uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr std::uint32_t kCentralSignature = 0x02014b50;
constexpr std::uint32_t kLocalSignature = 0x04034b50;
constexpr std::size_t kEndSize = 22, kZip64LocatorSize = 20, kZip64EndSize = 56, kCentralSize = 46,
                      kLocalSize = 30;
constexpr std::uint32_t kMarker32 = 0xFFFFFFFF;

struct EndRecord {
    std::size_t at = 0;  // position in the file
    std::uint64_t entries = 0;
    std::uint64_t directorySize = 0;
    std::uint64_t directoryOffset = 0;  // from the archive's start
    bool zip64 = false;
    std::size_t zip64At = 0;        // the ZIP64 end record's position in the file
    std::uint64_t zip64Offset = 0;  // ... and its offset from the archive's start
};

// The last end record whose comment reaches exactly to the end of the
// file, else the last one at all (some tools append bytes).
std::optional<std::size_t> FindEndRecord(std::string_view d)
{
    if (d.size() < kEndSize)
        return std::nullopt;
    const std::size_t lowest = d.size() > kEndSize + 65535 ? d.size() - kEndSize - 65535 : 0;
    std::optional<std::size_t> any;
    for (std::size_t p = d.size() - kEndSize + 1; p-- > lowest;) {
        if (Le32At(d, p) != kEndSignature)
            continue;
        if (p + kEndSize + Le16At(d, p + 20) == d.size())
            return p;
        if (!any)
            any = p;
    }
    return any;
}

bool ReadZip64End(std::string_view d, EndRecord &end, std::string &error)
{
    if (end.at < kZip64LocatorSize || Le32At(d, end.at - kZip64LocatorSize) != kZip64LocatorSignature)
        return true;  // a plain archive
    const std::size_t locator = end.at - kZip64LocatorSize;
    end.zip64 = true;
    end.zip64Offset = Le64At(d, locator + 8);
    // Behind a stub, the stated offset is short by the stub's size; the
    // record normally sits right before its locator.
    if (end.zip64Offset + kZip64EndSize <= d.size() &&
        Le32At(d, static_cast<std::size_t>(end.zip64Offset)) == kZip64EndSignature)
        end.zip64At = static_cast<std::size_t>(end.zip64Offset);
    else if (locator >= kZip64EndSize && Le32At(d, locator - kZip64EndSize) == kZip64EndSignature)
        end.zip64At = locator - kZip64EndSize;
    else {
        error = "ZIP64 end record not found";
        return false;
    }
    end.entries = Le64At(d, end.zip64At + 32);
    end.directorySize = Le64At(d, end.zip64At + 40);
    end.directoryOffset = Le64At(d, end.zip64At + 48);
    return true;
}

std::optional<EndRecord> ReadEnd(std::string_view d, std::string &error)
{
    const auto at = FindEndRecord(d);
    if (!at) {
        error = "no ZIP end record";
        return std::nullopt;
    }
    EndRecord end;
    end.at = *at;
    if (Le16At(d, end.at + 4) != 0 || Le16At(d, end.at + 6) != 0) {
        error = "multi-volume ZIP";
        return std::nullopt;
    }
    end.entries = Le16At(d, end.at + 10);
    end.directorySize = Le32At(d, end.at + 12);
    end.directoryOffset = Le32At(d, end.at + 16);
    if (!ReadZip64End(d, end, error))
        return std::nullopt;
    return end;
}

// The archive's start in the file: the directory ends where the end record
// (or the ZIP64 one) begins, so anything before its stated offset is a stub.
std::optional<std::uint64_t> ArchiveBase(const EndRecord &end)
{
    const std::uint64_t directoryEnd = end.zip64 ? end.zip64At : end.at;
    if (end.directorySize > directoryEnd || end.directoryOffset > directoryEnd - end.directorySize)
        return std::nullopt;
    return directoryEnd - end.directorySize - end.directoryOffset;
}

// Replaces the 32-bit fields that are full with the ZIP64 extra field's values.
void ApplyZip64Extra(std::string_view field, ZipEntryRecord &e, bool sizeFull, bool packedFull,
                     bool offsetFull, bool diskFull)
{
    std::size_t at = 0;
    const auto take64 = [&](std::uint64_t &value, bool full) {
        if (full && at + 8 <= field.size()) {
            value = Le64At(field, at);
            at += 8;
        }
    };
    take64(e.size, sizeFull);
    take64(e.compressedSize, packedFull);
    take64(e.localHeaderOffset, offsetFull);
    if (diskFull && at + 4 <= field.size())
        e.diskStart = Le32At(field, at);
}

// Info-ZIP's UTF-8 name counts only while the stored name is the one it was made from.
void ApplyUnicodePath(std::string_view field, ZipEntryRecord &e)
{
    if (field.size() < 5 || ByteAt(field, 0) != 1)
        return;
    if (Le32At(field, 1) == Crc32Update(0, e.rawName.data(), e.rawName.size()))
        e.unicodeName = std::string(field.substr(5));
}

void ApplyExtraFields(std::string_view extra, ZipEntryRecord &e, bool sizeFull, bool packedFull,
                      bool offsetFull, bool diskFull)
{
    for (std::size_t at = 0; at + 4 <= extra.size();) {
        const std::uint32_t id = Le16At(extra, at), size = Le16At(extra, at + 2);
        if (size > extra.size() - at - 4)
            break;
        const std::string_view field = extra.substr(at + 4, size);
        switch (id) {
        case 0x0001:
            ApplyZip64Extra(field, e, sizeFull, packedFull, offsetFull, diskFull);
            break;
        case 0x5455:  // extended timestamp: flags, then the modification time first
            if (size >= 5 && (ByteAt(field, 0) & 1))
                e.unixModified = static_cast<std::int32_t>(Le32At(field, 1));
            break;
        case 0x5855:  // old Info-ZIP Unix field: access, then modification time
            if (size >= 8)
                e.unixModified = static_cast<std::int32_t>(Le32At(field, 4));
            break;
        case 0x7075:
            ApplyUnicodePath(field, e);
            break;
        default:
            break;
        }
        at += 4 + size;
    }
}

// One record at `p`, known to have its fixed part inside `dir`; nothing when
// its variable part runs past the directory.
std::optional<ZipEntryRecord> ReadCentralRecord(std::string_view dir, std::size_t p, std::size_t &next)
{
    const std::size_t nameLength = Le16At(dir, p + 28), extraLength = Le16At(dir, p + 30),
                      commentLength = Le16At(dir, p + 32);
    const auto end = AdvanceWithin(p + kCentralSize, nameLength + extraLength + commentLength, dir.size());
    if (!end)
        return std::nullopt;
    ZipEntryRecord e;
    e.host = ByteAt(dir, p + 5);
    e.flags = static_cast<std::uint16_t>(Le16At(dir, p + 8));
    e.method = static_cast<std::uint16_t>(Le16At(dir, p + 10));
    e.dosDateTime = Le16At(dir, p + 12) | (Le16At(dir, p + 14) << 16);
    e.crc = Le32At(dir, p + 16);
    e.compressedSize = Le32At(dir, p + 20);
    e.size = Le32At(dir, p + 24);
    e.diskStart = Le16At(dir, p + 34);
    e.externalAttributes = Le32At(dir, p + 38);
    e.localHeaderOffset = Le32At(dir, p + 42);
    e.rawName = std::string(dir.substr(p + kCentralSize, nameLength));
    ApplyExtraFields(dir.substr(p + kCentralSize + nameLength, extraLength), e, e.size == kMarker32,
                     e.compressedSize == kMarker32, e.localHeaderOffset == kMarker32, e.diskStart == 0xFFFF);
    next = *end;
    return e;
}

}  // namespace

std::optional<ZipDirectory> ReadZipDirectory(std::string_view d, std::string &error)
{
    const auto end = ReadEnd(d, error);
    if (!end)
        return std::nullopt;
    const auto base = ArchiveBase(*end);
    if (!base) {
        error = "the ZIP central directory lies outside the file";
        return std::nullopt;
    }
    ZipDirectory directory;
    directory.base = *base;
    const auto start = static_cast<std::size_t>(*base + end->directoryOffset);
    const std::string_view dir = d.substr(start, static_cast<std::size_t>(end->directorySize));
    // Every record takes at least its fixed part: a count beyond that is damage.
    if (end->entries > dir.size() / kCentralSize) {
        error = "damaged ZIP central directory";
        return std::nullopt;
    }
    directory.entries.reserve(static_cast<std::size_t>(end->entries));
    std::size_t p = 0;
    for (std::uint64_t i = 0; i < end->entries; ++i) {
        if (p + kCentralSize > dir.size() || Le32At(dir, p) != kCentralSignature) {
            error = "damaged ZIP central directory";
            return std::nullopt;
        }
        auto record = ReadCentralRecord(dir, p, p);
        if (!record) {
            error = "damaged ZIP central directory";
            return std::nullopt;
        }
        directory.entries.push_back(std::move(*record));
    }
    return directory;
}

std::optional<std::size_t> ZipEntryDataOffset(std::string_view d, std::uint64_t base,
                                              const ZipEntryRecord &entry, std::string &error)
{
    const auto header = AdvanceWithin(0, base, d.size());
    const auto local = header ? AdvanceWithin(*header, entry.localHeaderOffset, d.size()) : std::nullopt;
    if (!local || d.size() - *local < kLocalSize || Le32At(d, *local) != kLocalSignature) {
        error = "missing ZIP local header";
        return std::nullopt;
    }
    const auto data =
        AdvanceWithin(*local + kLocalSize, Le16At(d, *local + 26) + Le16At(d, *local + 28), d.size());
    if (!data || !AdvanceWithin(*data, entry.compressedSize, d.size())) {
        error = "truncated ZIP entry data";
        return std::nullopt;
    }
    return data;
}

}  // namespace zr::archivers
