#include "zip_test_writer.h"

#include <stdexcept>
#include <zlib.h>

namespace zr::archivers::test {

void PutLe16(std::string &out, std::uint32_t value)
{
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

void PutLe32(std::string &out, std::uint32_t value)
{
    PutLe16(out, value & 0xFFFF);
    PutLe16(out, value >> 16);
}

void PutLe64(std::string &out, std::uint64_t value)
{
    PutLe32(out, static_cast<std::uint32_t>(value));
    PutLe32(out, static_cast<std::uint32_t>(value >> 32));
}

std::string RawDeflate(const std::string &data, int level, int strategy)
{
    z_stream z{};
    if (deflateInit2(&z, level, Z_DEFLATED, -MAX_WBITS, 8, strategy) != Z_OK)
        throw std::runtime_error("deflateInit2");
    std::string out(deflateBound(&z, data.size()) + 16, '\0');
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef *>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    if (deflate(&z, Z_FINISH) != Z_STREAM_END)
        throw std::runtime_error("deflate");
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

std::string ExtraField(std::uint16_t id, const std::string &body)
{
    std::string out;
    PutLe16(out, id);
    PutLe16(out, static_cast<std::uint32_t>(body.size()));
    return out + body;
}

namespace {

constexpr std::uint32_t kDosTime = (40u << 25) | (2u << 21) | (3u << 16) | (4u << 11) | (5u << 5) | 3u;

struct Written {
    std::uint32_t crc = 0;
    std::uint64_t packedSize = 0;
    std::uint64_t offset = 0;
    std::uint16_t flags = 0;
    std::uint16_t method = 0;
};

std::uint32_t Crc(const std::string &data)
{
    return static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef *>(data.data()), static_cast<uInt>(data.size())));
}

Written WriteLocal(std::string &out, const ZipTestEntry &e, const std::string &packed, bool zip64)
{
    Written w;
    w.crc = Crc(e.data);
    w.packedSize = packed.size();
    w.offset = out.size();
    w.method = e.level < 0 ? 0 : 8;
    w.flags = e.dataDescriptor ? 0x0008 : 0;
    PutLe32(out, 0x04034b50);
    PutLe16(out, zip64 ? 45 : 20);
    PutLe16(out, w.flags);
    PutLe16(out, w.method);
    PutLe32(out, kDosTime);
    const bool sizesHere = !e.dataDescriptor;
    PutLe32(out, sizesHere ? w.crc : 0);
    PutLe32(out, !sizesHere ? 0 : zip64 ? 0xFFFFFFFF : static_cast<std::uint32_t>(packed.size()));
    PutLe32(out, !sizesHere ? 0 : zip64 ? 0xFFFFFFFF : static_cast<std::uint32_t>(e.data.size()));
    PutLe16(out, static_cast<std::uint32_t>(e.name.size()));
    std::string extra;
    if (zip64) {
        std::string body;
        PutLe64(body, sizesHere ? e.data.size() : 0);
        PutLe64(body, sizesHere ? packed.size() : 0);
        extra = ExtraField(0x0001, body);
    }
    PutLe16(out, static_cast<std::uint32_t>(extra.size()));
    out += e.name + extra + packed;
    if (e.dataDescriptor) {
        PutLe32(out, 0x08074b50);
        PutLe32(out, w.crc);
        if (zip64) {
            PutLe64(out, packed.size());
            PutLe64(out, e.data.size());
        } else {
            PutLe32(out, static_cast<std::uint32_t>(packed.size()));
            PutLe32(out, static_cast<std::uint32_t>(e.data.size()));
        }
    }
    return w;
}

void WriteCentral(std::string &central, const ZipTestEntry &e, const Written &w, bool zip64)
{
    PutLe32(central, 0x02014b50);
    PutLe16(central, (3u << 8) | 45);  // made on Unix
    PutLe16(central, zip64 ? 45 : 20);
    PutLe16(central, w.flags);
    PutLe16(central, w.method);
    PutLe32(central, kDosTime);
    PutLe32(central, w.crc);
    PutLe32(central, zip64 ? 0xFFFFFFFF : static_cast<std::uint32_t>(w.packedSize));
    PutLe32(central, zip64 ? 0xFFFFFFFF : static_cast<std::uint32_t>(e.data.size()));
    PutLe16(central, static_cast<std::uint32_t>(e.name.size()));
    std::string extra;
    if (zip64) {
        std::string body;
        PutLe64(body, e.data.size());
        PutLe64(body, w.packedSize);
        PutLe64(body, w.offset);
        extra = ExtraField(0x0001, body);
    }
    extra += e.centralExtra;
    PutLe16(central, static_cast<std::uint32_t>(extra.size()));
    PutLe16(central, 0);  // comment
    PutLe16(central, 0);  // disk
    PutLe16(central, 0);  // internal attributes
    const bool folder = !e.name.empty() && e.name.back() == '/';
    PutLe32(central, (folder ? 0040755u : 0100644u) << 16);
    PutLe32(central, zip64 ? 0xFFFFFFFF : static_cast<std::uint32_t>(w.offset));
    central += e.name + extra;
}

void WriteEnd(std::string &out, std::size_t entries, std::uint64_t centralSize, std::uint64_t centralOffset,
              bool zip64)
{
    if (zip64) {
        const std::uint64_t zip64End = out.size();
        PutLe32(out, 0x06064b50);
        PutLe64(out, 44);
        PutLe16(out, 45);
        PutLe16(out, 45);
        PutLe32(out, 0);
        PutLe32(out, 0);
        PutLe64(out, entries);
        PutLe64(out, entries);
        PutLe64(out, centralSize);
        PutLe64(out, centralOffset);
        PutLe32(out, 0x07064b50);
        PutLe32(out, 0);
        PutLe64(out, zip64End);
        PutLe32(out, 1);
    }
    PutLe32(out, 0x06054b50);
    PutLe16(out, 0);
    PutLe16(out, 0);
    PutLe16(out, zip64 ? 0xFFFF : static_cast<std::uint32_t>(entries));
    PutLe16(out, zip64 ? 0xFFFF : static_cast<std::uint32_t>(entries));
    PutLe32(out, zip64 ? 0xFFFFFFFF : static_cast<std::uint32_t>(centralSize));
    PutLe32(out, zip64 ? 0xFFFFFFFF : static_cast<std::uint32_t>(centralOffset));
    PutLe16(out, 0);
}

}  // namespace

std::string MakeTestZip(const std::vector<ZipTestEntry> &entries, const ZipTestOptions &options)
{
    std::string out, central;
    for (const auto &e : entries) {
        const std::string packed = e.level < 0 ? e.data : RawDeflate(e.data, e.level);
        WriteCentral(central, e, WriteLocal(out, e, packed, options.zip64), options.zip64);
    }
    const std::uint64_t centralOffset = out.size();
    out += central;
    WriteEnd(out, entries.size(), central.size(), centralOffset, options.zip64);
    return options.stub + out;
}

}  // namespace zr::archivers::test
