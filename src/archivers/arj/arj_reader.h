#pragma once
// Reader for ARJ archives: lists the main header and the entries, and
// extracts one entry at a time into a caller's sink with a CRC-32 check.
// Supports methods 0 (stored), 1-3 (LZ77 + static Huffman) and 4 (LZ77 with
// plain bit codes). Garbled (encrypted) and multi-volume entries are listed
// but refused on extraction. Every failure is an ArjError with a code and a
// readable message; hostile input never makes the reader read or write out
// of bounds, produce more than the declared size, or loop without end.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace zr::arj {

enum class ArjErrorCode {
    kIo,                 // the file cannot be opened or read
    kNotArj,             // no valid ARJ main header where one was expected
    kBadHeader,          // a header is malformed (sizes out of range, missing terminator)
    kHeaderCrc,          // a header's CRC-32 does not match
    kTruncated,          // the archive ends inside a header or inside an entry's data
    kUnsupportedMethod,  // compression method other than 0-4
    kEncrypted,          // garbled entry: needs a password we do not support
    kMultiVolume,        // entry continues in another volume
    kNotAFile,           // directory, label or chapter entry: no data to extract
    kCorruptData,        // the compressed stream is invalid
    kDataCrc,            // extracted bytes do not match the stored CRC-32
};

class ArjError : public std::runtime_error {
public:
    ArjError(ArjErrorCode code, const std::string &message) : std::runtime_error(message), code_(code) {}
    ArjErrorCode code() const noexcept { return code_; }

private:
    ArjErrorCode code_;
};

// Bits of the header flags byte.
namespace flags {
inline constexpr std::uint8_t kGarbled = 0x01;     // data is encrypted
inline constexpr std::uint8_t kOldSecured = 0x02;  // main header: old-style security envelope
inline constexpr std::uint8_t kVolume = 0x04;      // continues in the next volume
inline constexpr std::uint8_t kExtFile = 0x08;     // entry: starts in the previous volume
inline constexpr std::uint8_t kPathSym = 0x10;     // path separators were translated to "/"
inline constexpr std::uint8_t kBackup = 0x20;
inline constexpr std::uint8_t kSecured = 0x40;
inline constexpr std::uint8_t kAltName = 0x80;
}  // namespace flags

enum class ArjFileType : std::uint8_t {
    kBinary = 0,
    kText = 1,  // 7-bit text
    kMainHeader = 2,
    kDirectory = 3,
    kVolumeLabel = 4,
    kChapterLabel = 5,
};

enum class ArjHostOs : std::uint8_t {
    kMsDos = 0,
    kPrimos = 1,
    kUnix = 2,
    kAmiga = 3,
    kMacOs = 4,
    kOs2 = 5,
    kAppleGs = 6,
    kAtariSt = 7,
    kNext = 8,
    kVaxVms = 9,
    kWin95 = 10,
    kWin32 = 11,
};

// Fields shared by the main header and the local (entry) headers.
struct ArjHeaderCommon {
    std::uint8_t archiverVersion = 0;
    std::uint8_t minVersionToExtract = 0;
    std::uint8_t hostOs = 0;                   // ArjHostOs value; unknown values are kept as read
    std::uint8_t flags = 0;                    // bits of zr::arj::flags
    std::uint8_t fileType = 0;                 // ArjFileType value; unknown values are kept as read
    std::string name;                          // raw bytes as stored (often CP932), without the terminator
    std::string comment;                       // raw bytes as stored
    std::vector<std::string> extendedHeaders;  // raw bodies, CRC-checked
    std::uint64_t headerOffset = 0;            // absolute file offset of the header's 60 EA id
};

struct ArjMainHeader : ArjHeaderCommon {
    std::uint8_t securityVersion = 0;
    std::uint32_t createdTime = 0;  // raw time field, see arj_timestamp.h
    std::uint32_t modifiedTime = 0;
    std::uint32_t archiveSize = 0;
    std::uint32_t securityEnvelopePosition = 0;
    std::uint16_t securityEnvelopeLength = 0;
    std::uint8_t encryptionVersion = 0;
    std::uint8_t lastChapter = 0;

    bool isMultiVolume() const { return (flags & flags::kVolume) != 0; }
    bool isGarbled() const { return (flags & flags::kGarbled) != 0; }
};

struct ArjEntry : ArjHeaderCommon {
    std::uint8_t method = 0;  // 0 stored, 1-3 Huffman, 4 fastest
    std::uint8_t passwordModifier = 0;
    std::uint32_t modifiedTime = 0;  // raw time field, see arj_timestamp.h
    std::uint32_t compressedSize = 0;
    std::uint32_t originalSize = 0;
    std::uint32_t crc32 = 0;           // CRC-32 of the original bytes
    std::uint16_t fileNameOffset = 0;  // where the name without folder starts in `name`
    std::uint16_t attributes = 0;      // host file access mode (MS-DOS attributes on DOS/Windows)
    std::uint8_t firstChapter = 0;
    std::uint8_t lastChapter = 0;
    std::uint32_t extendedFilePosition = 0;  // for entries continued from a previous volume
    std::uint64_t dataOffset = 0;            // absolute file offset of the compressed data

    bool isGarbled() const { return (flags & flags::kGarbled) != 0; }
    bool continuesInNextVolume() const { return (flags & flags::kVolume) != 0; }
    bool continuedFromPreviousVolume() const { return (flags & flags::kExtFile) != 0; }
    bool isDirectory() const { return fileType == static_cast<std::uint8_t>(ArjFileType::kDirectory); }
    bool isText() const { return fileType == static_cast<std::uint8_t>(ArjFileType::kText); }
    // Binary and text entries carry data; folders and labels do not.
    bool hasData() const { return fileType <= static_cast<std::uint8_t>(ArjFileType::kText); }
};

// Random-access byte source under the reader (a file, or memory in tests).
class ArjSource {
public:
    virtual ~ArjSource() = default;
    virtual std::uint64_t size() const = 0;
    // Reads up to `size` bytes at `offset`; returns the count read (short at the end).
    // Throws ArjError(kIo) on a read failure.
    virtual std::size_t readAt(std::uint64_t offset, void *buffer, std::size_t size) const = 0;
};

std::shared_ptr<ArjSource> OpenArjFileSource(const std::string &path);  // throws kIo
std::shared_ptr<ArjSource> MakeArjMemorySource(std::string bytes);

// Receives extracted bytes in order; returning false stops the extraction.
using ArjSink = std::function<bool(const char *data, std::size_t size)>;

class ArjReader {
public:
    // Reads the main header at `archiveOffset` (0 for a plain archive, the
    // FindArjArchive result for a self-extractor) and every entry header up
    // to the end marker. Throws ArjError.
    explicit ArjReader(const std::string &path, std::uint64_t archiveOffset = 0);
    explicit ArjReader(std::shared_ptr<ArjSource> source, std::uint64_t archiveOffset = 0);

    const ArjMainHeader &mainHeader() const { return mainHeader_; }
    const std::vector<ArjEntry> &entries() const { return entries_; }
    std::uint64_t archiveOffset() const { return archiveOffset_; }

    // Decompresses `entry` (one of entries()) into `sink`, at most
    // originalSize bytes, and checks the CRC-32. Returns true when complete,
    // false when the sink asked to stop. Throws ArjError (kEncrypted,
    // kMultiVolume, kNotAFile, kUnsupportedMethod, kTruncated, kCorruptData,
    // kDataCrc, kIo).
    bool extract(const ArjEntry &entry, const ArjSink &sink) const;

private:
    std::uint64_t readMainHeader();  // returns the offset of the first entry header
    void readEntries(std::uint64_t firstHeaderOffset);

    std::shared_ptr<ArjSource> source_;
    std::uint64_t archiveOffset_ = 0;
    ArjMainHeader mainHeader_;
    std::vector<ArjEntry> entries_;
};

// True when a valid ARJ main header (id, size, CRC) starts at offset 0.
bool IsArjArchive(const std::string &path);
bool IsArjArchive(const ArjSource &source);

// Scans for a valid ARJ main header (id, size, CRC, main-header type) from
// `startOffset` on, as found inside a self-extracting executable. Returns
// its offset, or nothing when there is none (or the file cannot be read).
// Gives up after 4,096 header-like candidates fail their CRC, so a file
// crafted full of decoys cannot stall the caller.
std::optional<std::uint64_t> FindArjArchive(const std::string &path, std::uint64_t startOffset = 0);
std::optional<std::uint64_t> FindArjArchive(const ArjSource &source, std::uint64_t startOffset = 0);

// Method text for listings: "m0" (stored) to "m4"; other values "m<n>" as stored.
std::string ArjMethodName(std::uint8_t method);

}  // namespace zr::arj
