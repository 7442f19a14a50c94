#pragma once
// Writes small ARJ archives from test code, so tests can craft headers and
// compressed streams the arj tool would never produce.

#include <cstdint>
#include <string>
#include <vector>

#include "archivers/arj/arj_crc32.h"

namespace zr::arj::test {

struct BuiltEntry {
    std::string name;
    std::string data;  // the bytes stored in the archive (compressed or not)
    std::uint32_t originalSize = 0;
    std::uint32_t crc = 0;
    std::uint8_t method = 0;
    std::uint8_t fileType = 0;
    std::uint8_t flags = 0;
};

inline void PutLe16(std::string &out, std::uint32_t v)
{
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
}

inline void PutLe32(std::string &out, std::uint32_t v)
{
    PutLe16(out, v & 0xFFFF);
    PutLe16(out, v >> 16);
}

// id, size, basic header, its CRC-32 and an empty extended-header chain.
inline std::string FramedHeader(const std::string &basic)
{
    std::string out("\x60\xEA", 2);
    PutLe16(out, static_cast<std::uint32_t>(basic.size()));
    out += basic;
    PutLe32(out, ComputeCrc32(basic.data(), basic.size()));
    PutLe16(out, 0);
    return out;
}

inline std::string BasicHeader(std::uint8_t method, std::uint8_t fileType, std::uint8_t flags,
                               std::uint32_t compressed, std::uint32_t original, std::uint32_t crc,
                               const std::string &name)
{
    std::string b;
    b += static_cast<char>(30);  // fixed part size
    b += static_cast<char>(11);  // archiver version
    b += static_cast<char>(1);   // minimum version
    b += static_cast<char>(0);   // host: MS-DOS
    b += static_cast<char>(flags);
    b += static_cast<char>(method);
    b += static_cast<char>(fileType);
    b += '\0';
    PutLe32(b, 0x58A63C00);  // 2024-05-06 07:32:00 as MS-DOS date and time
    PutLe32(b, compressed);
    PutLe32(b, original);
    PutLe32(b, crc);
    PutLe16(b, 0);
    PutLe16(b, 0x20);
    b += std::string(2, '\0');
    b += name;
    b += '\0';
    b += '\0';  // empty comment
    return b;
}

inline std::string BuildArchive(const std::vector<BuiltEntry> &entries)
{
    std::string out = FramedHeader(BasicHeader(0, 2, 0, 0, 0, 0, "built.arj"));
    for (const BuiltEntry &e : entries) {
        out +=
            FramedHeader(BasicHeader(e.method, e.fileType, e.flags, static_cast<std::uint32_t>(e.data.size()),
                                     e.originalSize, e.crc, e.name));
        out += e.data;
    }
    out += std::string("\x60\xEA\0\0", 4);
    return out;
}

inline BuiltEntry StoredEntry(const std::string &name, const std::string &content)
{
    return {name,
            content,
            static_cast<std::uint32_t>(content.size()),
            ComputeCrc32(content.data(), content.size()),
            0,
            0,
            0};
}

// Recomputes the CRC-32 of the basic header whose id is at `offset`.
inline void FixHeaderCrc(std::string &archive, std::size_t offset)
{
    const std::size_t size = static_cast<unsigned char>(archive[offset + 2]) |
                             (static_cast<unsigned char>(archive[offset + 3]) << 8);
    const std::uint32_t crc = ComputeCrc32(archive.data() + offset + 4, size);
    std::string le;
    PutLe32(le, crc);
    archive.replace(offset + 4 + size, 4, le);
}

// MSB-first bit writer for hand-made compressed streams.
class BitWriter {
public:
    void put(std::uint32_t value, int count)
    {
        for (int i = count - 1; i >= 0; --i) {
            current_ = static_cast<std::uint8_t>((current_ << 1) | ((value >> i) & 1));
            if (++used_ == 8) {
                bytes_.push_back(static_cast<char>(current_));
                current_ = 0;
                used_ = 0;
            }
        }
    }
    std::string finish()
    {
        std::string out = bytes_;
        if (used_ > 0)
            out.push_back(static_cast<char>(current_ << (8 - used_)));
        return out;
    }

private:
    std::string bytes_;
    std::uint8_t current_ = 0;
    int used_ = 0;
};

}  // namespace zr::arj::test
