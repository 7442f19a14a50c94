#include "archive/archive_records.h"

#include <algorithm>
#include <cstring>

namespace zr::archive {

std::uint32_t ReadLe32(const unsigned char *p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::uint16_t ReadLe16(const unsigned char *p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

void WriteLe32(unsigned char *p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>(v >> (8 * i));
}

void WriteLe16(unsigned char *p, std::uint16_t v)
{
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}

std::string ReadCString(const unsigned char *p, std::size_t maxBytes)
{
    const void *nul = std::memchr(p, 0, maxBytes);
    std::size_t length =
        nul ? static_cast<std::size_t>(static_cast<const unsigned char *>(nul) - p) : maxBytes;
    return std::string(reinterpret_cast<const char *>(p), length);
}

std::uint32_t InfoOriginalSize(const TIndividualInfo &info)
{
    return ReadLe32(&info[info_offset::kOriginalSize]);
}
std::uint32_t InfoCompressedSize(const TIndividualInfo &info)
{
    return ReadLe32(&info[info_offset::kCompressedSize]);
}
std::uint32_t InfoFlag(const TIndividualInfo &info) { return ReadLe32(&info[info_offset::kFlag]); }
std::uint16_t InfoRatio(const TIndividualInfo &info) { return ReadLe16(&info[info_offset::kRatio]); }
std::uint16_t InfoDosDate(const TIndividualInfo &info) { return ReadLe16(&info[info_offset::kDate]); }
std::uint16_t InfoDosTime(const TIndividualInfo &info) { return ReadLe16(&info[info_offset::kTime]); }

std::string InfoFileName(const TIndividualInfo &info)
{
    return ReadCString(&info[info_offset::kFileName], kStoredNameSize);
}

std::string InfoAttributeText(const TIndividualInfo &info)
{
    return std::string(reinterpret_cast<const char *>(&info[info_offset::kAttribute]), kAttributeTextSize);
}

std::string InfoMethod(const TIndividualInfo &info)
{
    return ReadCString(&info[info_offset::kMethod], kMethodTextSize);
}

TIndividualInfo MakeIndividualInfo(const IndividualInfoFields &fields)
{
    TIndividualInfo info{};
    WriteLe32(&info[info_offset::kOriginalSize], fields.originalSize);
    WriteLe32(&info[info_offset::kCompressedSize], fields.compressedSize);
    WriteLe16(&info[info_offset::kRatio], fields.ratio);
    WriteLe16(&info[info_offset::kDate], fields.dosDate);
    WriteLe16(&info[info_offset::kTime], fields.dosTime);
    // The name keeps its terminating NUL inside the 513-byte field.
    std::memcpy(&info[info_offset::kFileName], fields.fileName.data(),
                std::min(fields.fileName.size(), kStoredNameSize - 1));
    std::memcpy(&info[info_offset::kAttribute], fields.attribute.data(),
                std::min(fields.attribute.size(), kAttributeTextSize));
    std::memcpy(&info[info_offset::kMethod], fields.method.data(),
                std::min(fields.method.size(), kMethodTextSize - 1));
    return info;
}

ExtractingProgress ReadExtractingInfo(const void *record)
{
    ExtractingProgress progress;
    if (!record)
        return progress;
    const auto *p = static_cast<const unsigned char *>(record);
    progress.fileSize = ReadLe32(p + progress_offset::kFileSize);
    progress.writeSize = ReadLe32(p + progress_offset::kWriteSize);
    progress.sourceName = ReadCString(p + progress_offset::kSourceName, kStoredNameSize);
    progress.destName = ReadCString(p + progress_offset::kDestName, kStoredNameSize);
    return progress;
}

}  // namespace zr::archive
