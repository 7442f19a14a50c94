// Our ARJ reader over arbitrary bytes: the main header, every entry header,
// the self-extractor scan and the decompression of every entry. Header CRCs
// are set right in half of the inputs (even sizes) so that mutations reach
// the header fields and the decoders instead of stopping at the CRC check.
//
// Input: the archive as it is.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "archivers/arj/arj_crc32.h"
#include "archivers/arj/arj_reader.h"

using namespace zr::arj;

namespace {

void FixHeaderCrcs(std::string &bytes)
{
    for (std::size_t p = 0; p + 4 <= bytes.size(); ++p) {
        if (static_cast<unsigned char>(bytes[p]) != 0x60 || static_cast<unsigned char>(bytes[p + 1]) != 0xEA)
            continue;
        const std::size_t length =
            static_cast<unsigned char>(bytes[p + 2]) | static_cast<unsigned char>(bytes[p + 3]) << 8;
        if (length == 0 || length > 2600 || p + 4 + length + 4 > bytes.size())
            continue;
        const std::uint32_t crc = ComputeCrc32(bytes.data() + p + 4, length);
        for (int i = 0; i < 4; ++i)
            bytes[p + 4 + length + i] = static_cast<char>(crc >> (8 * i));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::string bytes(reinterpret_cast<const char *>(data), size);
    if (size % 2 == 0)
        FixHeaderCrcs(bytes);
    auto source = MakeArjMemorySource(bytes);
    const auto offset = FindArjArchive(*source);
    if (offset && *offset >= size)
        __builtin_trap();
    try {
        ArjReader reader(source, offset.value_or(0));
        for (const ArjEntry &entry : reader.entries()) {
            std::uint64_t written = 0;
            try {
                reader.extract(entry, [&](const char *, std::size_t n) {
                    written += n;
                    return written < (64u << 20);  // enough to pass any input's own size
                });
            } catch (const ArjError &) {
                continue;  // a broken entry costs that entry only
            }
            if (written > entry.originalSize)
                __builtin_trap();  // never more than the header promised
        }
    } catch (const ArjError &) {
    }
    return 0;
}
