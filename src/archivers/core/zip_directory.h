#pragma once
// A ZIP archive's central directory: where each entry's data lies and what
// it holds, with the ZIP64 sizes and offsets, the Unicode name and the
// Unix time from the extra fields.

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zr::archivers {

enum ZipFlag : std::uint16_t { kZipEncrypted = 0x0001, kZipDataDescriptor = 0x0008, kZipUtf8Name = 0x0800 };
enum ZipMethod : std::uint16_t { kZipStored = 0, kZipDeflated = 8, kZipAes = 99 };

struct ZipEntryRecord {
    std::string rawName;                     // as stored
    std::optional<std::string> unicodeName;  // Info-ZIP's UTF-8 name, when it matches the stored one
    std::uint16_t flags = 0;
    std::uint16_t method = 0;
    std::uint8_t host = 0;  // the system that made the entry (0 DOS, 3 Unix, ...)
    std::uint32_t dosDateTime = 0;
    std::optional<std::time_t> unixModified;
    std::uint32_t crc = 0;
    std::uint32_t externalAttributes = 0;
    std::uint64_t compressedSize = 0;
    std::uint64_t size = 0;
    std::uint64_t localHeaderOffset = 0;  // from the archive's start
    std::uint32_t diskStart = 0;
};

struct ZipDirectory {
    std::uint64_t base = 0;  // where the archive starts in the file (past a self-extractor's stub)
    std::vector<ZipEntryRecord> entries;  // in central directory order
};

// Reads the directory of the archive that ends `file`; nothing when there is
// none or it does not fit in the file (`error` says why).
std::optional<ZipDirectory> ReadZipDirectory(std::string_view file, std::string &error);

// Where an entry's data starts in `file`, checked against its local header;
// nothing when the header is missing or the data runs past the end.
std::optional<std::size_t> ZipEntryDataOffset(std::string_view file, std::uint64_t base,
                                              const ZipEntryRecord &entry, std::string &error);

}  // namespace zr::archivers
