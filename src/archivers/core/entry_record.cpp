#include "archivers/core/entry_record.h"

#include <algorithm>
#include <cstring>

#include "archivers/core/dos_time.h"
#include "archivers/core/progress_reporter.h"

namespace zr::archivers {

namespace {

std::uint32_t Clamp32(std::uint64_t v)
{
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(v, 0xFFFFFFFFu));
}

}  // namespace

std::uint16_t RatioPermille(std::uint64_t original, std::uint64_t compressed, RatioSense sense)
{
    if (original == 0)
        return 0;
    const long double share = static_cast<long double>(compressed) / static_cast<long double>(original);
    long double ratio = sense == RatioSense::kSaving ? 1.0L - share : share;
    ratio = std::clamp(ratio * 1000.0L + 0.5L, 0.0L, 65535.0L);
    return static_cast<std::uint16_t>(ratio);
}

void FillIndividualInfo(const EntryInfo &entry, RatioSense sense, TIndividualInfo &record)
{
    std::memset(&record, 0, sizeof record);
    record.dwOriginalSize = Clamp32(entry.size);
    record.dwCompressedSize = Clamp32(entry.compressedSize);
    record.dwCRC = entry.crc;
    if (entry.kind == EntryKind::kFolder)
        record.uFlag |= ZR_ARC_FLAG_DIRECTORY;
    if (entry.kind == EntryKind::kLink)
        record.uFlag |= ZR_ARC_FLAG_LINK;
    if (entry.encrypted)
        record.uFlag |= ZR_ARC_FLAG_ENCRYPTED;
    record.uOSType = entry.osType;
    record.wRatio = RatioPermille(entry.size, entry.compressedSize, sense);
    const DosDateTime dos = ToDosDateTime(entry.modified);
    record.wDate = dos.date;
    record.wTime = dos.time;
    CopyNameField(record.szFileName, sizeof record.szFileName, entry.name);
    CopyNameField(record.szAttribute, sizeof record.szAttribute, entry.attributes);
    CopyNameField(record.szMode, sizeof record.szMode, entry.method);
}

}  // namespace zr::archivers
