#include "archivers/arj/arj_header_parser.h"

#include "archivers/arj/arj_crc32.h"

namespace zr::arj::detail {
namespace {

constexpr unsigned char kIdLow = 0x60;
constexpr unsigned char kIdHigh = 0xEA;
constexpr std::size_t kFileTypeOffset = 6;

std::uint16_t Le16(const std::string &s, std::size_t at)
{
    return static_cast<std::uint16_t>(static_cast<unsigned char>(s[at]) |
                                      (static_cast<unsigned char>(s[at + 1]) << 8));
}

std::uint32_t Le32(const std::string &s, std::size_t at)
{
    return static_cast<std::uint32_t>(Le16(s, at)) | (static_cast<std::uint32_t>(Le16(s, at + 2)) << 16);
}

std::uint8_t Byte(const std::string &s, std::size_t at) { return static_cast<unsigned char>(s[at]); }

std::string ReadExactly(const ArjSource &source, std::uint64_t offset, std::size_t size, const char *what)
{
    std::string bytes(size, '\0');
    if (source.readAt(offset, bytes.data(), size) != size) {
        throw ArjError(ArjErrorCode::kTruncated,
                       std::string("archive ends inside ") + what + " at offset " + std::to_string(offset));
    }
    return bytes;
}

// Reads `size` bytes of body plus its CRC-32 and checks it.
std::string ReadCheckedBlock(const ArjSource &source, std::uint64_t offset, std::size_t size,
                             const char *what)
{
    std::string block = ReadExactly(source, offset, size + 4, what);
    const std::uint32_t stored = Le32(block, size);
    block.resize(size);
    if (ComputeCrc32(block.data(), block.size()) != stored) {
        throw ArjError(ArjErrorCode::kHeaderCrc,
                       std::string("CRC error in ") + what + " at offset " + std::to_string(offset));
    }
    return block;
}

bool HasValidLayout(const std::string &basic)
{
    if (basic.size() < kMinFirstHeaderSize)
        return false;
    const std::size_t firstSize = Byte(basic, 0);
    return firstSize >= kMinFirstHeaderSize && firstSize <= basic.size();
}

// Name and comment are NUL-terminated strings after the fixed part.
void ParseStrings(const std::string &basic, ArjHeaderCommon &header)
{
    const std::size_t nameStart = Byte(basic, 0);
    const std::size_t nameEnd = basic.find('\0', nameStart);
    if (nameEnd == std::string::npos)
        throw ArjError(ArjErrorCode::kBadHeader, "header name is not terminated");
    const std::size_t commentEnd = basic.find('\0', nameEnd + 1);
    if (commentEnd == std::string::npos)
        throw ArjError(ArjErrorCode::kBadHeader, "header comment is not terminated");
    header.name = basic.substr(nameStart, nameEnd - nameStart);
    header.comment = basic.substr(nameEnd + 1, commentEnd - nameEnd - 1);
}

void ParseCommon(const RawHeader &raw, ArjHeaderCommon &header)
{
    const std::string &b = raw.basic;
    if (!HasValidLayout(b)) {
        throw ArjError(ArjErrorCode::kBadHeader, "malformed header at offset " + std::to_string(raw.offset));
    }
    header.archiverVersion = Byte(b, 1);
    header.minVersionToExtract = Byte(b, 2);
    header.hostOs = Byte(b, 3);
    header.flags = Byte(b, 4);
    header.fileType = Byte(b, kFileTypeOffset);
    header.extendedHeaders = raw.extended;
    header.headerOffset = raw.offset;
    ParseStrings(b, header);
}

}  // namespace

RawHeader ReadRawHeader(const ArjSource &source, std::uint64_t offset)
{
    RawHeader raw;
    raw.offset = offset;
    const std::string prefix = ReadExactly(source, offset, 4, "a header");
    if (Byte(prefix, 0) != kIdLow || Byte(prefix, 1) != kIdHigh) {
        throw ArjError(ArjErrorCode::kBadHeader, "no ARJ header id at offset " + std::to_string(offset));
    }
    const std::size_t basicSize = Le16(prefix, 2);
    if (basicSize == 0) {
        raw.isEndMarker = true;
        raw.endOffset = offset + 4;
        return raw;
    }
    if (basicSize > kMaxBasicHeaderSize || basicSize < kMinFirstHeaderSize) {
        throw ArjError(ArjErrorCode::kBadHeader, "header size " + std::to_string(basicSize) +
                                                     " out of range at offset " + std::to_string(offset));
    }
    std::uint64_t pos = offset + 4;
    raw.basic = ReadCheckedBlock(source, pos, basicSize, "a header");
    pos += basicSize + 4;
    for (;;) {
        const std::size_t extSize = Le16(ReadExactly(source, pos, 2, "an extended header"), 0);
        pos += 2;
        if (extSize == 0)
            break;
        raw.extended.push_back(ReadCheckedBlock(source, pos, extSize, "an extended header"));
        pos += extSize + 4;
    }
    raw.endOffset = pos;
    return raw;
}

std::optional<std::string> TryReadBasicHeader(const ArjSource &source, std::uint64_t offset)
{
    unsigned char prefix[4];
    if (source.readAt(offset, prefix, 4) != 4 || prefix[0] != kIdLow || prefix[1] != kIdHigh)
        return std::nullopt;
    const std::size_t basicSize = prefix[2] | (prefix[3] << 8);
    if (basicSize < kMinFirstHeaderSize || basicSize > kMaxBasicHeaderSize)
        return std::nullopt;
    std::string block(basicSize + 4, '\0');
    if (source.readAt(offset + 4, block.data(), block.size()) != block.size())
        return std::nullopt;
    const std::uint32_t stored = Le32(block, basicSize);
    block.resize(basicSize);
    if (ComputeCrc32(block.data(), block.size()) != stored || !HasValidLayout(block))
        return std::nullopt;
    return block;
}

bool IsMainHeader(const std::string &basic)
{
    return basic.size() > kFileTypeOffset &&
           Byte(basic, kFileTypeOffset) == static_cast<std::uint8_t>(ArjFileType::kMainHeader);
}

ArjMainHeader ParseMainHeader(const RawHeader &raw)
{
    ArjMainHeader header;
    ParseCommon(raw, header);
    const std::string &b = raw.basic;
    header.securityVersion = Byte(b, 5);
    header.createdTime = Le32(b, 8);
    header.modifiedTime = Le32(b, 12);
    header.archiveSize = Le32(b, 16);
    header.securityEnvelopePosition = Le32(b, 20);
    header.securityEnvelopeLength = Le16(b, 26);
    header.encryptionVersion = Byte(b, 28);
    header.lastChapter = Byte(b, 29);
    return header;
}

ArjEntry ParseEntryHeader(const RawHeader &raw)
{
    ArjEntry entry;
    ParseCommon(raw, entry);
    const std::string &b = raw.basic;
    entry.method = Byte(b, 5);
    entry.passwordModifier = Byte(b, 7);
    entry.modifiedTime = Le32(b, 8);
    entry.compressedSize = Le32(b, 12);
    entry.originalSize = Le32(b, 16);
    entry.crc32 = Le32(b, 20);
    entry.fileNameOffset = Le16(b, 24);
    if (entry.fileNameOffset > entry.name.size())
        entry.fileNameOffset = 0;  // nonsense: use the whole name
    entry.attributes = Le16(b, 26);
    entry.firstChapter = Byte(b, 28);
    entry.lastChapter = Byte(b, 29);
    if (Byte(b, 0) >= kMinFirstHeaderSize + 4)
        entry.extendedFilePosition = Le32(b, 30);
    return entry;
}

}  // namespace zr::arj::detail
