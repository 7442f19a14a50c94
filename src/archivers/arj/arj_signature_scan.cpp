// Finding an ARJ archive: at the start of a file, or behind the stub of a
// self-extracting executable.
#include <cstring>

#include "archivers/arj/arj_header_parser.h"
#include "archivers/arj/arj_reader.h"

namespace zr::arj {
namespace {

constexpr std::size_t kScanChunk = 64 * 1024;
// Candidates that pass the cheap checks get a full CRC check; a file made of
// nothing but plausible decoys must not keep the scan busy for minutes.
constexpr int kMaxFullChecks = 4096;
constexpr std::size_t kPrefixBytes = 11;  // id, size, and the basic header up to its file type

// Cheap test on bytes in memory: header size and fixed-part size in range,
// file type "main header". False only when the header surely is not one.
bool MayBeMainHeader(const unsigned char *p, std::size_t available)
{
    if (available < 2 || p[0] != 0x60 || p[1] != 0xEA)
        return false;
    if (available < kPrefixBytes)
        return true;  // cut by the chunk end: let the full check decide
    const std::size_t size = p[2] | (p[3] << 8);
    const std::size_t firstSize = p[4];
    return size >= detail::kMinFirstHeaderSize && size <= detail::kMaxBasicHeaderSize &&
           firstSize >= detail::kMinFirstHeaderSize && firstSize <= size &&
           p[10] == static_cast<unsigned char>(ArjFileType::kMainHeader);
}

bool IsMainHeaderAt(const ArjSource &source, std::uint64_t offset)
{
    const auto basic = detail::TryReadBasicHeader(source, offset);
    return basic && detail::IsMainHeader(*basic);
}

}  // namespace

bool IsArjArchive(const ArjSource &source) { return IsMainHeaderAt(source, 0); }

bool IsArjArchive(const std::string &path)
{
    try {
        return IsArjArchive(*OpenArjFileSource(path));
    } catch (const ArjError &) {
        return false;
    }
}

std::optional<std::uint64_t> FindArjArchive(const ArjSource &source, std::uint64_t startOffset)
{
    std::vector<unsigned char> chunk(kScanChunk);
    int fullChecks = 0;
    // Chunks overlap by one byte so an id split across two of them is seen.
    for (std::uint64_t base = startOffset; base < source.size(); base += kScanChunk - 1) {
        const std::size_t got = source.readAt(base, chunk.data(), chunk.size());
        for (std::size_t i = 0; i + 1 < got; ++i) {
            const void *hit = std::memchr(chunk.data() + i, 0x60, got - 1 - i);
            if (hit == nullptr)
                break;
            i = static_cast<std::size_t>(static_cast<const unsigned char *>(hit) - chunk.data());
            if (!MayBeMainHeader(chunk.data() + i, got - i))
                continue;
            if (IsMainHeaderAt(source, base + i))
                return base + i;
            if (++fullChecks >= kMaxFullChecks)
                return std::nullopt;
        }
        if (got < chunk.size())
            break;
    }
    return std::nullopt;
}

std::optional<std::uint64_t> FindArjArchive(const std::string &path, std::uint64_t startOffset)
{
    try {
        return FindArjArchive(*OpenArjFileSource(path), startOffset);
    } catch (const ArjError &) {
        return std::nullopt;
    }
}

}  // namespace zr::arj
