#pragma once
// Small archives written byte by byte, so the tests hold exactly the names
// and contents they need without external tools: LHA (level 0, stored),
// ZIP (stored) and ustar.

#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace zr::search::test {

using Members = std::vector<std::pair<std::string, std::string>>;  // name, content ("" + "/" name: folder)

inline void PutLe(std::string &out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

inline std::uint16_t Crc16(const std::string &data)
{
    std::uint16_t crc = 0;
    for (unsigned char c : data) {
        crc ^= c;
        for (int i = 0; i < 8; ++i)
            crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001) : crc >> 1;
    }
    return crc;
}

// Level-0 headers with "-lh0-" (stored) data; folders are separated by "\".
inline std::string LzhOf(const Members &members)
{
    std::string out;
    for (const auto &[name, content] : members) {
        std::string stored = name;
        for (char &c : stored)
            if (c == '/')
                c = '\\';
        std::string header;
        header += "-lh0-";
        PutLe(header, static_cast<std::uint32_t>(content.size()), 4);
        PutLe(header, static_cast<std::uint32_t>(content.size()), 4);
        PutLe(header, 0x50210000u, 4);  // 2020-01-01 00:00
        header.push_back(0x20);
        header.push_back(0);  // level
        header.push_back(static_cast<char>(stored.size()));
        header += stored;
        PutLe(header, Crc16(content), 2);
        unsigned sum = 0;
        for (unsigned char c : header)
            sum += c;
        out.push_back(static_cast<char>(header.size()));
        out.push_back(static_cast<char>(sum & 0xFF));
        out += header + content;
    }
    out.push_back('\0');
    return out;
}

inline std::string ZipOf(const Members &members)
{
    std::string out;
    std::string central;
    for (const auto &[name, content] : members) {
        const auto crc = static_cast<std::uint32_t>(
            crc32(0, reinterpret_cast<const Bytef *>(content.data()), static_cast<uInt>(content.size())));
        const auto offset = static_cast<std::uint32_t>(out.size());
        auto common = [&](std::string &h) {
            PutLe(h, 10, 2);      // version needed
            PutLe(h, 0x800, 2);   // names are UTF-8
            PutLe(h, 0, 2);       // stored
            PutLe(h, 0, 2);       // time
            PutLe(h, 0x5021, 2);  // date
            PutLe(h, crc, 4);
            PutLe(h, static_cast<std::uint32_t>(content.size()), 4);
            PutLe(h, static_cast<std::uint32_t>(content.size()), 4);
            PutLe(h, static_cast<std::uint32_t>(name.size()), 2);
            PutLe(h, 0, 2);  // extra
        };
        PutLe(out, 0x04034b50, 4);
        common(out);
        out += name + content;
        PutLe(central, 0x02014b50, 4);
        PutLe(central, 20, 2);
        common(central);
        PutLe(central, 0, 2);  // comment
        PutLe(central, 0, 2);  // disk
        PutLe(central, 0, 2);  // internal attributes
        PutLe(central, name.back() == '/' ? 0x10 : 0, 4);
        PutLe(central, offset, 4);
        central += name;
    }
    const auto centralOffset = static_cast<std::uint32_t>(out.size());
    out += central;
    PutLe(out, 0x06054b50, 4);
    PutLe(out, 0, 2);
    PutLe(out, 0, 2);
    PutLe(out, static_cast<std::uint32_t>(members.size()), 2);
    PutLe(out, static_cast<std::uint32_t>(members.size()), 2);
    PutLe(out, static_cast<std::uint32_t>(central.size()), 4);
    PutLe(out, centralOffset, 4);
    PutLe(out, 0, 2);
    return out;
}

inline std::string TarOf(const Members &members)
{
    std::string tar;
    for (const auto &[name, content] : members) {
        const bool folder = !name.empty() && name.back() == '/';
        std::string header(512, '\0');
        auto put = [&](std::size_t at, const std::string &text) { header.replace(at, text.size(), text); };
        char number[16];
        put(0, name);
        put(100, folder ? "0000755" : "0000644");
        put(108, "0000000");
        put(116, "0000000");
        std::snprintf(number, sizeof number, "%011o", static_cast<unsigned>(content.size()));
        put(124, number);
        put(136, "14615305660");
        header[156] = folder ? '5' : '0';
        put(257, std::string("ustar\0"
                             "00",
                             8));
        put(148, "        ");
        unsigned sum = 0;
        for (unsigned char c : header)
            sum += c;
        std::snprintf(number, sizeof number, "%06o", sum);
        put(148, std::string(number, 7));
        tar += header + content + std::string((512 - content.size() % 512) % 512, '\0');
    }
    return tar + std::string(1024, '\0');
}

}  // namespace zr::search::test
