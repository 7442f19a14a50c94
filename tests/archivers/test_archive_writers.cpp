#include "test_archive_writers.h"

#include <zlib.h>

namespace zr::archivers::test {

namespace {

constexpr std::uint32_t kDosTime =
    (40u << 25) | (2u << 21) | (3u << 16) | (4u << 11) | (5u << 5) | 3u;  // 2020-02-03 04:05:06

void Put16(std::string &out, std::uint32_t v)
{
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}

void Put32(std::string &out, std::uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

void PutVint(std::string &out, std::uint64_t v)
{
    do {
        std::uint8_t b = v & 0x7F;
        v >>= 7;
        if (v)
            b |= 0x80;
        out += static_cast<char>(b);
    } while (v);
}

std::string Rar4Block(std::uint8_t type, std::uint16_t flags, const std::string &body)
{
    std::string header;
    header += static_cast<char>(type);
    Put16(header, flags);
    Put16(header, static_cast<std::uint32_t>(7 + body.size()));
    header += body;
    std::string block;
    Put16(block, Crc32Of(header) & 0xFFFF);
    return block + header;
}

std::string Rar5Block(const std::string &header)
{
    std::string sized;
    PutVint(sized, header.size());
    sized += header;
    std::string block;
    Put32(block, Crc32Of(sized));
    return block + sized;
}

std::string CabHeader(std::size_t files, std::uint16_t compression, std::size_t filesBytes,
                      const std::vector<std::string> &blocks, std::size_t totalData)
{
    const std::size_t coffFiles = 36 + 8;
    std::size_t coffData = coffFiles + filesBytes;
    std::size_t blockBytes = 0;
    for (const auto &b : blocks)
        blockBytes += b.size();
    std::string out = "MSCF";
    Put32(out, 0);
    Put32(out, static_cast<std::uint32_t>(coffData + blockBytes));
    Put32(out, 0);
    Put32(out, static_cast<std::uint32_t>(coffFiles));
    Put32(out, 0);
    out += '\x03';
    out += '\x01';
    Put16(out, 1);
    Put16(out, static_cast<std::uint32_t>(files));
    Put16(out, 0);
    Put16(out, 0x1234);
    Put16(out, 0);
    Put32(out, static_cast<std::uint32_t>(coffData));  // CFFOLDER
    Put16(out, static_cast<std::uint32_t>(blocks.size()));
    Put16(out, compression);
    (void)totalData;
    return out;
}

std::string CabFiles(const std::vector<Member> &members)
{
    std::string out;
    std::uint32_t offset = 0;
    for (const auto &m : members) {
        Put32(out, static_cast<std::uint32_t>(m.data.size()));
        Put32(out, offset);
        Put16(out, 0);
        Put16(out, kDosTime >> 16);
        Put16(out, kDosTime & 0xFFFF);
        Put16(out, 0x20);
        out += m.name;
        out += '\0';
        offset += static_cast<std::uint32_t>(m.data.size());
    }
    return out;
}

std::string CabData(const std::string &payload, std::size_t uncompressed)
{
    std::string out;
    Put32(out, 0);  // no checksum
    Put16(out, static_cast<std::uint32_t>(payload.size()));
    Put16(out, static_cast<std::uint32_t>(uncompressed));
    return out + payload;
}

std::string Concatenated(const std::vector<Member> &members)
{
    std::string all;
    for (const auto &m : members)
        all += m.data;
    return all;
}

// Bits, most significant first, packed into 16-bit little-endian words.
class LzxBitWriter {
public:
    void put(std::uint32_t value, int bits)
    {
        for (int i = bits - 1; i >= 0; --i) {
            word_ = static_cast<std::uint16_t>((word_ << 1) | ((value >> i) & 1));
            if (++count_ == 16)
                flush();
        }
    }
    void alignWithPadding()
    {
        put(0, 16 - count_);  // 1 to 16 bits
    }
    std::string bytes() const { return out_; }

private:
    void flush()
    {
        out_ += static_cast<char>(word_ & 0xFF);
        out_ += static_cast<char>(word_ >> 8);
        word_ = 0;
        count_ = 0;
    }
    std::string out_;
    std::uint16_t word_ = 0;
    int count_ = 0;
};

std::string UstarField(std::uint64_t value, std::size_t width)
{
    std::string digits;
    for (std::size_t i = 0; i + 1 < width; ++i, value >>= 3)
        digits.insert(digits.begin(), static_cast<char>('0' + (value & 7)));
    return digits + '\0';
}

}  // namespace

std::uint32_t Crc32Of(const std::string &bytes)
{
    return static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef *>(bytes.data()), static_cast<uInt>(bytes.size())));
}

std::string MakeRar4(const std::vector<Member> &members)
{
    std::string out("Rar!\x1a\x07\x00", 7);
    out += Rar4Block(0x73, 0, std::string(6, '\0'));
    for (const auto &m : members) {
        std::string body;
        Put32(body, static_cast<std::uint32_t>(m.data.size()));
        Put32(body, static_cast<std::uint32_t>(m.data.size()));
        body += '\x02';  // Win32
        Put32(body, Crc32Of(m.data));
        Put32(body, kDosTime);
        body += '\x14';
        body += '\x30';  // stored
        Put16(body, static_cast<std::uint32_t>(m.name.size()));
        Put32(body, m.folder ? 0x10 : 0x20);
        body += m.name;
        out += Rar4Block(0x74, m.folder ? 0x80E0 : 0x8000, body) + m.data;
    }
    return out + Rar4Block(0x7B, 0x4000, "");
}

std::string MakeRar5(const std::vector<Member> &members)
{
    std::string out("Rar!\x1a\x07\x01\x00", 8);
    std::string main;
    PutVint(main, 1);
    PutVint(main, 0);
    PutVint(main, 0);
    out += Rar5Block(main);
    for (const auto &m : members) {
        std::string h;
        PutVint(h, 2);
        PutVint(h, 0x0002);  // data area follows
        PutVint(h, m.data.size());
        PutVint(h, (m.folder ? 0x1 : 0x0) | 0x2 | 0x4);
        PutVint(h, m.data.size());
        PutVint(h, m.folder ? 0x10 : 0x20);
        Put32(h, 1580702706u);  // 2020-02-03 04:05:06 UTC
        Put32(h, Crc32Of(m.data));
        PutVint(h, 0);  // version 0, stored
        PutVint(h, 0);  // Windows
        PutVint(h, m.name.size());
        h += m.name;
        out += Rar5Block(h) + m.data;
    }
    std::string end;
    PutVint(end, 5);
    PutVint(end, 0);
    PutVint(end, 0);
    return out + Rar5Block(end);
}

std::string MakeLzxCab(const std::vector<Member> &members)
{
    const std::string data = Concatenated(members);
    LzxBitWriter bits;
    bits.put(0, 1);  // no E8 translation
    bits.put(3, 3);  // uncompressed block
    bits.put(static_cast<std::uint32_t>(data.size()), 24);
    bits.alignWithPadding();
    std::string payload = bits.bytes();
    for (int r = 0; r < 3; ++r)
        Put32(payload, 1);  // R0-R2
    payload += data;
    const std::vector<std::string> blocks{CabData(payload, data.size())};
    const std::string files = CabFiles(members);
    return CabHeader(members.size(), 0x0F03, files.size(), blocks, data.size()) + files + blocks[0];
}

std::string MakeStoredCab(const std::vector<Member> &members)
{
    const std::string data = Concatenated(members);
    const std::vector<std::string> blocks{CabData(data, data.size())};
    const std::string files = CabFiles(members);
    return CabHeader(members.size(), 0, files.size(), blocks, data.size()) + files + blocks[0];
}

std::string MakeUstar(const std::vector<Member> &members)
{
    std::string out;
    for (const auto &m : members) {
        std::string h(512, '\0');
        h.replace(0, std::min<std::size_t>(m.name.size(), 100), m.name.substr(0, 100));
        h.replace(100, 8, UstarField(m.folder ? 0755 : 0644, 8));
        h.replace(108, 8, UstarField(0, 8));
        h.replace(116, 8, UstarField(0, 8));
        h.replace(124, 12, UstarField(m.data.size(), 12));
        h.replace(136, 12, UstarField(1580702706u, 12));
        h.replace(148, 8, std::string(8, ' '));
        h[156] = m.folder ? '5' : m.linkTarget.empty() ? '0' : '2';
        h.replace(157, std::min<std::size_t>(m.linkTarget.size(), 100), m.linkTarget.substr(0, 100));
        h.replace(257, 8,
                  std::string("ustar\0"
                              "00",
                              8));
        unsigned sum = 0;
        for (unsigned char c : h)
            sum += c;
        h.replace(148, 8, UstarField(sum, 7) + ' ');
        out += h + m.data + std::string((512 - m.data.size() % 512) % 512, '\0');
    }
    return out + std::string(1024, '\0');
}

std::string MakeStoredZip(const std::vector<Member> &members)
{
    std::string out, central;
    for (const auto &m : members) {
        std::string common;
        Put16(common, 10);  // version needed
        Put16(common, 0);   // flags: names are not UTF-8
        Put16(common, 0);   // stored
        Put32(common, kDosTime);
        Put32(common, Crc32Of(m.data));
        Put32(common, static_cast<std::uint32_t>(m.data.size()));
        Put32(common, static_cast<std::uint32_t>(m.data.size()));
        Put16(common, static_cast<std::uint32_t>(m.name.size()));
        Put16(common, 0);  // extra
        const auto offset = static_cast<std::uint32_t>(out.size());
        Put32(out, 0x04034b50);
        out += common + m.name + m.data;
        Put32(central, 0x02014b50);
        Put16(central, 20);  // made by MS-DOS
        central += common;
        Put16(central, 0);  // comment
        Put16(central, 0);  // disk
        Put16(central, 0);  // internal attributes
        Put32(central, m.folder ? 0x10 : 0x20);
        Put32(central, offset);
        central += m.name;
    }
    const auto centralOffset = static_cast<std::uint32_t>(out.size());
    out += central;
    Put32(out, 0x06054b50);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, static_cast<std::uint32_t>(members.size()));
    Put16(out, static_cast<std::uint32_t>(members.size()));
    Put32(out, static_cast<std::uint32_t>(central.size()));
    Put32(out, centralOffset);
    Put16(out, 0);
    return out;
}

std::uint16_t Crc16Of(const std::string &bytes)
{
    std::uint16_t crc = 0;
    for (unsigned char c : bytes) {
        crc ^= c;
        for (int i = 0; i < 8; ++i)
            crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001)
                            : static_cast<std::uint16_t>(crc >> 1);
    }
    return crc;
}

std::string MakeStoredLha0(const std::vector<Member> &members)
{
    std::string out;
    for (const auto &m : members) {
        std::string h = m.folder ? "-lhd-" : "-lh0-";
        Put32(h, static_cast<std::uint32_t>(m.data.size()));
        Put32(h, static_cast<std::uint32_t>(m.data.size()));
        Put32(h, kDosTime);
        h += m.folder ? '\x10' : '\x20';
        h += '\0';  // level 0
        h += static_cast<char>(m.name.size());
        h += m.name;
        Put16(h, Crc16Of(m.data));
        unsigned sum = 0;
        for (unsigned char c : h)
            sum += c;
        out += static_cast<char>(h.size());
        out += static_cast<char>(sum & 0xFF);
        out += h + m.data;
    }
    return out + std::string(1, '\0');
}

namespace {

// Levels 2 and 3 differ only in the width of their size fields: 2 bytes, or
// 4 at level 3, which also starts with a word size of 4.
std::string MakeStoredLhaExtended(const std::vector<Member> &members, int level)
{
    const auto putSize = [level](std::string &out, std::size_t size) {
        if (level == 3)
            Put32(out, static_cast<std::uint32_t>(size));
        else
            Put16(out, static_cast<std::uint32_t>(size));
    };
    const std::size_t width = level == 3 ? 4 : 2;
    std::string out;
    for (const auto &m : members) {
        const auto slash = m.name.rfind('/');
        const std::string folder = slash == std::string::npos ? "" : m.name.substr(0, slash) + '\xff';
        const std::string name = slash == std::string::npos ? m.name : m.name.substr(slash + 1);
        std::string ext;
        // The header CRC comes first; it is filled in once the header is complete.
        for (const auto &[type, body] :
             {std::pair<char, std::string>{'\x00', std::string(2, '\0')}, {'\x01', name}, {'\x02', folder}}) {
            if (body.empty())
                continue;
            putSize(ext, body.size() + 1 + width);
            ext += type + body;
        }
        putSize(ext, 0);
        std::string h = m.folder ? "-lhd-" : "-lh0-";
        Put32(h, static_cast<std::uint32_t>(m.data.size()));
        Put32(h, static_cast<std::uint32_t>(m.data.size()));
        Put32(h, 1580702706u);
        h += '\x20';
        h += static_cast<char>(level);
        Put16(h, Crc16Of(m.data));
        h += 'M';
        std::string header;
        if (level == 3) {
            Put16(header, 4);
            header += h;
            Put32(header, static_cast<std::uint32_t>(2 + h.size() + 4 + ext.size()));
        } else {
            Put16(header, static_cast<std::uint32_t>(2 + h.size() + ext.size()));
            header += h;
        }
        const std::size_t crcAt = header.size() + width + 1;
        header += ext;
        std::string crc;
        Put16(crc, Crc16Of(header));
        header.replace(crcAt, 2, crc);
        out += header + m.data;
    }
    return out + std::string(1, '\0');
}

}  // namespace

std::string MakeStoredLha2(const std::vector<Member> &members) { return MakeStoredLhaExtended(members, 2); }

std::string MakeStoredLha3(const std::vector<Member> &members) { return MakeStoredLhaExtended(members, 3); }

}  // namespace zr::archivers::test
