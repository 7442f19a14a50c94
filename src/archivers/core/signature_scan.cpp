#include "archivers/core/signature_scan.h"

#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include "archivers/archiver_api.h"
#include "archivers/core/byte_view.h"
#include "archivers/core/mapped_file.h"

namespace zr::archivers {

namespace {

std::uint32_t Crc32(std::string_view d, std::size_t at, std::size_t size)
{
    return static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef *>(d.data() + at), static_cast<uInt>(size)));
}

bool IsLhaHeader(std::string_view d, std::size_t p)
{
    if (p + 22 > d.size())
        return false;
    if (d[p + 2] != '-' || d[p + 3] != 'l' || (d[p + 4] != 'h' && d[p + 4] != 'z') || d[p + 6] != '-')
        return false;
    const std::uint8_t level = ByteAt(d, p + 20);
    if (level == 0 || level == 1) {
        const std::size_t size = ByteAt(d, p);
        if (size < 20 || p + 2 + size > d.size())
            return false;
        unsigned sum = 0;
        for (std::size_t i = p + 2; i < p + 2 + size; ++i)
            sum += ByteAt(d, i);
        return (sum & 0xFF) == ByteAt(d, p + 1);
    }
    if (level == 2) {
        const std::size_t size = Le16At(d, p);
        return size >= 26 && p + size <= d.size();
    }
    if (level == 3) {  // a word size of 4, then a 32-bit header size
        if (p + 32 > d.size())
            return false;
        const std::size_t size = Le32At(d, p + 24);
        return Le16At(d, p) == 4 && size >= 32 && size <= d.size() - p;
    }
    return false;
}

bool IsCabHeader(std::string_view d, std::size_t p)
{
    if (p + 36 > d.size() || d.compare(p, 8, std::string_view("MSCF\0\0\0\0", 8)) != 0)
        return false;
    const std::uint32_t cabinetSize = Le32At(d, p + 8);
    return cabinetSize >= 36 && cabinetSize <= d.size() - p && ByteAt(d, p + 24) == 3 &&
           ByteAt(d, p + 25) == 1;
}

// Main headers are a few dozen bytes; a decoy claiming more is not checked.
constexpr std::size_t kMaxRarMainHeader = 64 * 1024;

// A file crafted full of decoy signatures must not stall the caller: the
// scan gives up after this many candidates whose header does not check out.
constexpr int kMaxFailedCandidates = 4096;

bool IsRarHeader(std::string_view d, std::size_t p)
{
    static const std::string_view rar4("Rar!\x1a\x07\x00", 7);
    static const std::string_view rar5("Rar!\x1a\x07\x01\x00", 8);
    if (d.compare(p, rar5.size(), rar5) == 0) {
        std::size_t at = p + 12;
        std::uint64_t headerSize = 0, type = 0;
        if (p + 12 > d.size() || !ReadVint(d, at, headerSize) || headerSize > kMaxRarMainHeader)
            return false;
        const std::size_t headerStart = at;
        if (headerStart + headerSize > d.size() || !ReadVint(d, at, type) || type != 1)
            return false;
        return Crc32(d, p + 12, headerStart - (p + 12) + headerSize) == Le32At(d, p + 8);
    }
    if (d.compare(p, rar4.size(), rar4) == 0) {
        const std::size_t h = p + 7;
        if (h + 7 > d.size() || ByteAt(d, h + 2) != 0x73)
            return false;
        const std::size_t size = Le16At(d, h + 5);
        if (size < 7 || h + size > d.size())
            return false;
        return (Crc32(d, h + 2, size - 2) & 0xFFFF) == Le16At(d, h);
    }
    return false;
}

// The 7z start header: signature, version 0.x, then a CRC over the 20 bytes
// locating the end header, which must lie inside the file.
bool Is7zHeader(std::string_view d, std::size_t p)
{
    static const std::string_view signature("7z\xBC\xAF\x27\x1C", 6);
    if (p + 32 > d.size() || d.compare(p, signature.size(), signature) != 0 || ByteAt(d, p + 6) != 0)
        return false;
    if (Crc32(d, p + 12, 20) != Le32At(d, p + 8))
        return false;
    const std::uint64_t nextOffset = Le64At(d, p + 12), nextSize = Le64At(d, p + 20);
    const std::uint64_t room = d.size() - p - 32;
    return nextOffset <= room && nextSize <= room - nextOffset;
}

std::string_view FirstSignatureBytes(SignatureFormat format)
{
    switch (format) {
    case SignatureFormat::kLha:
        return "-l";
    case SignatureFormat::kCab:
        return "MSCF";
    case SignatureFormat::kRar:
        return "Rar!";
    case SignatureFormat::k7z:
        return std::string_view("7z\xBC\xAF\x27\x1C", 6);
    }
    return {};
}

// Where the signature sits relative to the header start.
std::size_t SignatureLead(SignatureFormat format) { return format == SignatureFormat::kLha ? 2 : 0; }

}  // namespace

bool IsValidHeaderAt(std::string_view d, std::size_t p, SignatureFormat format)
{
    switch (format) {
    case SignatureFormat::kLha:
        return IsLhaHeader(d, p);
    case SignatureFormat::kCab:
        return IsCabHeader(d, p);
    case SignatureFormat::kRar:
        return IsRarHeader(d, p);
    case SignatureFormat::k7z:
        return Is7zHeader(d, p);
    }
    return false;
}

std::optional<std::uint64_t> FindArchiveSignature(std::string_view data, SignatureFormat format,
                                                  std::uint64_t from)
{
    const std::string_view sig = FirstSignatureBytes(format);
    const std::size_t lead = SignatureLead(format);
    int failures = 0;
    for (std::size_t at = static_cast<std::size_t>(from) + lead;
         at < data.size() && failures < kMaxFailedCandidates;) {
        at = data.find(sig, at);
        if (at == std::string_view::npos)
            break;
        if (at >= lead && IsValidHeaderAt(data, at - lead, format))
            return at - lead;
        ++failures;
        ++at;
    }
    return std::nullopt;
}

std::optional<std::uint64_t> FindArchiveSignature(const std::string &path, SignatureFormat format,
                                                  std::uint64_t from)
{
    MappedFile file(path);
    return FindArchiveSignature(file.view(), format, from);
}

namespace {

bool StartsWithBytes(int fd, std::string_view expected)
{
    char head[8] = {};
    return fd >= 0 && ::pread(fd, head, expected.size(), 0) == static_cast<ssize_t>(expected.size()) &&
           std::memcmp(head, expected.data(), expected.size()) == 0;
}

bool StartsWithBytes(const std::string &path, std::string_view expected)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool same = StartsWithBytes(fd, expected);
    ::close(fd);
    return same;
}

}  // namespace

bool StartsWithMz(const std::string &path) { return StartsWithBytes(path, "MZ"); }

bool StartsWith7zSignature(const std::string &path)
{
    return StartsWithBytes(path, FirstSignatureBytes(SignatureFormat::k7z));
}

bool StartsWithMz(int fd) { return StartsWithBytes(fd, "MZ"); }

bool StartsWith7zSignature(int fd) { return StartsWithBytes(fd, FirstSignatureBytes(SignatureFormat::k7z)); }

int ClassifyExecutable(const std::string &path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return ZR_SFX_NONE;
    char head[64] = {};
    int code = ZR_SFX_NONE;
    if (::pread(fd, head, sizeof head, 0) == static_cast<ssize_t>(sizeof head) && head[0] == 'M' &&
        head[1] == 'Z') {
        code = ZR_SFX_DOS;
        const std::uint32_t newHeader = Le32At(std::string_view(head, sizeof head), 0x3C);
        char sig[4] = {};
        if (newHeader >= 64 && ::pread(fd, sig, 4, newHeader) == 4) {
            if (std::memcmp(sig, "PE\0\0", 4) == 0)
                code = ZR_SFX_WIN32;
            else if (sig[0] == 'N' && sig[1] == 'E')
                code = ZR_SFX_WIN16;
        }
    }
    ::close(fd);
    return code;
}

}  // namespace zr::archivers
