#pragma once
// Per-entry facts libarchive does not report (compressed size, CRC, DOS
// attributes, method), read from the archive's own headers in archive
// order. Missing or unreadable details leave the entry's defaults.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "archivers/core/archive_entry_info.h"
#include "archivers/core/libarchive_reader.h"

namespace zr::archivers {

struct EntryDetails {
    std::optional<std::uint64_t> compressedSize;
    std::uint32_t crc = 0;
    bool dataCrc32 = false;  // `crc` is the CRC-32 of the data and worth checking ourselves
    std::uint32_t osType = 0;
    std::optional<std::uint32_t> dosAttributes;  // bits 0x01 R, 0x02 H, 0x04 S, 0x20 A
    std::string method;                          // empty = keep the reader's text
    std::string rawName;  // as stored ("/" for LHA's 0xFF), for names libarchive cannot convert
};

// `data` is the whole file; the archive starts at `base`.
std::vector<EntryDetails> ReadLhaDetails(std::string_view data, std::size_t base);
std::vector<EntryDetails> ReadCabDetails(std::string_view data, std::size_t base);
std::vector<EntryDetails> ReadRarDetails(std::string_view data, std::size_t base);
std::vector<EntryDetails> ReadZipDetails(std::string_view data);

std::vector<EntryDetails> ReadEntryDetails(const std::string &path, std::uint64_t base,
                                           LibarchiveFormat format);
// The same from a file already open (the handle stays the caller's).
std::vector<EntryDetails> ReadEntryDetails(int fd, std::uint64_t base, LibarchiveFormat format);

// Whether the stored names are UTF-8: some name is not plain ASCII and every
// such name is valid UTF-8. Otherwise they are taken as CP932.
bool NamesAreUtf8(const std::vector<EntryDetails> &details);

void ApplyEntryDetails(const EntryDetails &details, EntryInfo &entry);

// Method text from libarchive's per-entry format name ("ZIP 2.0 (deflation)",
// "lha -lh5-", "CAB 1.3 (MSZIP)") or the tar filter.
std::string DefaultMethodText(LibarchiveFormat format, const char *formatName, const char *filterName);

// "Stored", "Deflate", ... for a ZIP compression method; "M<number>" for one without a name.
std::string ZipMethodText(unsigned method);

// Attribute text "ASHR" with '-' for unset bits.
std::string DosAttributeText(std::uint32_t dosAttributes);

}  // namespace zr::archivers
