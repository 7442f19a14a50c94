#pragma once
// The byte records the archiver libraries fill: the entry record of
// FindFirst/FindNext and the progress record of the owner-window callback.
// Fields are read at fixed little-endian offsets so the layout never depends
// on the compiler's struct packing.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zr::archive {

constexpr std::size_t kIndividualInfoSize = 560;
constexpr std::size_t kStoredNameSize = 513;
constexpr std::size_t kAttributeTextSize = 8;
constexpr std::size_t kMethodTextSize = 8;

using TIndividualInfo = std::array<unsigned char, kIndividualInfoSize>;

namespace info_offset {
constexpr std::size_t kOriginalSize = 0;
constexpr std::size_t kCompressedSize = 4;
constexpr std::size_t kCrc = 8;
constexpr std::size_t kFlag = 12;
constexpr std::size_t kRatio = 20;
constexpr std::size_t kDate = 22;
constexpr std::size_t kTime = 24;
constexpr std::size_t kFileName = 26;
constexpr std::size_t kAttribute = 542;
constexpr std::size_t kMethod = 550;
}  // namespace info_offset

std::uint32_t InfoOriginalSize(const TIndividualInfo &info);
std::uint32_t InfoCompressedSize(const TIndividualInfo &info);
std::uint32_t InfoFlag(const TIndividualInfo &info);  // ZR_ARC_FLAG_* bits
std::uint16_t InfoRatio(const TIndividualInfo &info);
std::uint16_t InfoDosDate(const TIndividualInfo &info);
std::uint16_t InfoDosTime(const TIndividualInfo &info);
std::string InfoFileName(const TIndividualInfo &info);       // up to the first NUL, at most 513 bytes
std::string InfoAttributeText(const TIndividualInfo &info);  // always the 8 raw bytes
std::string InfoMethod(const TIndividualInfo &info);         // up to the first NUL, at most 8 bytes

// Builds a record; used by tests and by anything that fakes a library.
struct IndividualInfoFields {
    std::string fileName;
    std::uint32_t originalSize = 0;
    std::uint32_t compressedSize = 0;
    std::uint16_t ratio = 0;
    std::uint16_t dosDate = 0;
    std::uint16_t dosTime = 0;
    std::string attribute;  // up to 8 bytes
    std::string method;     // up to 7 bytes
};
TIndividualInfo MakeIndividualInfo(const IndividualInfoFields &fields);

// Progress record (TExtractingInfoEx): only its leading part is read.
namespace progress_offset {
constexpr std::size_t kFileSize = 0;
constexpr std::size_t kWriteSize = 4;
constexpr std::size_t kSourceName = 8;
constexpr std::size_t kDestName = 524;
constexpr std::size_t kEnd = kDestName + kStoredNameSize;
}  // namespace progress_offset

struct ExtractingProgress {
    std::uint32_t fileSize = 0;
    std::uint32_t writeSize = 0;
    std::string sourceName;
    std::string destName;
};
ExtractingProgress ReadExtractingInfo(const void *record);

std::uint32_t ReadLe32(const unsigned char *p);
std::uint16_t ReadLe16(const unsigned char *p);
void WriteLe32(unsigned char *p, std::uint32_t v);
void WriteLe16(unsigned char *p, std::uint16_t v);
std::string ReadCString(const unsigned char *p, std::size_t maxBytes);

}  // namespace zr::archive
