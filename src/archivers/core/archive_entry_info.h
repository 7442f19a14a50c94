#pragma once
// One stored entry as every reader describes it.

#include <cstdint>
#include <ctime>
#include <string>

namespace zr::archivers {

enum class EntryKind { kFile, kFolder, kLink, kSpecial };

struct EntryInfo {
    std::string name;  // UTF-8, "/" separated; folders end in "/"
    EntryKind kind = EntryKind::kFile;
    std::uint64_t size = 0;
    std::uint64_t compressedSize = 0;
    std::uint32_t crc = 0;
    std::uint32_t osType = 0;
    std::time_t modified = 0;
    std::string method;               // "-lh5-", "Deflate", "MSZIP", "m2", ...
    std::string attributes = "----";  // 'A','S','H','R' or '-' at positions 0-3
    bool encrypted = false;           // data needs a password we do not have
    bool unsupported = false;         // data cannot be extracted (multi-volume, unknown method)
};

}  // namespace zr::archivers
