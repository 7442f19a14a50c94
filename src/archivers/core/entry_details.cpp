#include "archivers/core/entry_details.h"

#include <algorithm>
#include <cstring>

#include "archivers/core/byte_view.h"
#include "archivers/core/mapped_file.h"
#include "platform/codepage.h"

namespace zr::archivers {

namespace {

std::string RarMethodText(unsigned method) { return "m" + std::to_string(method); }

// The extended headers of a level-1, 2 or 3 header: the bytes they take
// and the names they carry (type 1: file name, type 2: folder, 0xFF
// separated).
struct LhaExtendedHeaders {
    std::uint64_t size = 0;
    std::optional<std::string> name;
    std::optional<std::string> folder;
};

// `at` is the size field of the first extended header (`sizeWidth` bytes:
// 2, or 4 at level 3); each one ends in the size field of the next, and 0
// ends the chain. `d` ends where they must end.
LhaExtendedHeaders ReadLhaExtendedHeaders(std::string_view d, std::size_t at, std::size_t sizeWidth = 2)
{
    LhaExtendedHeaders ext;
    while (at + sizeWidth <= d.size()) {
        const std::uint32_t size = sizeWidth == 4 ? Le32At(d, at) : Le16At(d, at);
        // anything below type + next size, or past the end, is damage
        if (size < sizeWidth + 1 || size > d.size() - at - sizeWidth)
            break;
        const std::string_view body = d.substr(at + sizeWidth + 1, size - sizeWidth - 1);
        if (ByteAt(d, at + sizeWidth) == 0x01)
            ext.name = std::string(body);
        else if (ByteAt(d, at + sizeWidth) == 0x02)
            ext.folder = std::string(body);
        ext.size += size;
        at += size;
    }
    return ext;
}

// Folder and name as stored, with "/" for the 0xFF separators (a byte that
// is part of no CP932 or UTF-8 character).
std::string LhaRawName(std::string name, const LhaExtendedHeaders &ext)
{
    if (ext.name)
        name = *ext.name;
    if (ext.folder && !ext.folder->empty()) {
        std::string folder = *ext.folder;
        if (folder.back() != '\xff' && folder.back() != '\\' && folder.back() != '/')
            folder += '/';
        name = folder + name;
    }
    std::replace(name.begin(), name.end(), '\xff', '/');
    return name;
}

}  // namespace

std::vector<EntryDetails> ReadLhaDetails(std::string_view d, std::size_t p)
{
    std::vector<EntryDetails> list;
    while (p + 24 <= d.size() && ByteAt(d, p) != 0) {
        const unsigned level = ByteAt(d, p + 20);
        EntryDetails e;
        e.method = std::string(d.substr(p + 2, 5));
        std::uint64_t packed = Le32At(d, p + 7);
        std::optional<std::size_t> next;
        if (level == 0 || level == 1) {
            const std::size_t size = ByteAt(d, p);
            const std::size_t nameLength = ByteAt(d, p + 21);
            if (p + 24 + nameLength > d.size())
                break;
            e.crc = Le16At(d, p + 22 + nameLength);
            e.rawName = std::string(d.substr(p + 22, nameLength));
            e.dosAttributes = ByteAt(d, p + 19);
            if (level == 1) {
                e.osType = p + 24 + nameLength < d.size() ? ByteAt(d, p + 24 + nameLength) : 0;
                const LhaExtendedHeaders ext = ReadLhaExtendedHeaders(d, p + size);
                packed = packed >= ext.size ? packed - ext.size : packed;
                e.rawName = LhaRawName(e.rawName, ext);
            } else {
                e.rawName = LhaRawName(e.rawName, {});
            }
            const auto headerEnd = AdvanceWithin(p, 2 + size, d.size());
            next = headerEnd ? AdvanceWithin(*headerEnd, Le32At(d, p + 7), d.size()) : std::nullopt;
        } else if (level == 2) {
            const std::size_t size = Le16At(d, p);
            e.crc = Le16At(d, p + 21);
            e.osType = ByteAt(d, p + 23);
            if (size >= 26 && p + size <= d.size())
                e.rawName = LhaRawName({}, ReadLhaExtendedHeaders(d.substr(0, p + size), p + 24));
            const auto headerEnd = AdvanceWithin(p, size, d.size());
            next = headerEnd ? AdvanceWithin(*headerEnd, packed, d.size()) : std::nullopt;
        } else if (level == 3) {
            if (p + 28 > d.size())
                break;
            const std::size_t size = Le32At(d, p + 24);
            e.crc = Le16At(d, p + 21);
            e.osType = ByteAt(d, p + 23);
            if (size >= 32 && size <= d.size() - p)
                e.rawName = LhaRawName({}, ReadLhaExtendedHeaders(d.substr(0, p + size), p + 28, 4));
            const auto headerEnd = AdvanceWithin(p, size, d.size());
            next = headerEnd ? AdvanceWithin(*headerEnd, packed, d.size()) : std::nullopt;
        } else {
            break;
        }
        e.compressedSize = packed;
        list.push_back(std::move(e));
        // past the end, the entry's data is cut off and nothing follows it
        if (!next || *next <= p)
            break;
        p = *next;
    }
    return list;
}

namespace {

struct CabFolder {
    std::uint64_t packed = 0, unpacked = 0;
    std::string method;
};

// Walks a folder's data blocks to learn its packed and unpacked sizes.
// `blocksLeft` is shared by all folders: a real cabinet's blocks are
// distinct and at least 8 bytes each, so it starts at the cabinet's size / 8;
// folders that all point at the same long block chain would otherwise cost
// 65535 x 65535 steps.
CabFolder ReadCabFolder(std::string_view cab, std::size_t at, unsigned dataReserve, std::size_t &blocksLeft)
{
    static const char *names[] = {"Stored", "MSZIP", "Quantum", "LZX"};
    CabFolder f;
    const unsigned type = Le16At(cab, at + 6) & 0xF;
    f.method = type < 4 ? names[type] : "Unknown";
    std::optional<std::size_t> block = Le32At(cab, at);
    for (unsigned b = Le16At(cab, at + 4); b > 0 && blocksLeft > 0 && *block + 8 <= cab.size();
         --b, --blocksLeft) {
        const unsigned packed = Le16At(cab, *block + 4);
        f.packed += packed;
        f.unpacked += Le16At(cab, *block + 6);
        block = AdvanceWithin(*block, 8 + dataReserve + packed, cab.size());
        if (!block)
            break;
    }
    return f;
}

std::vector<CabFolder> ReadCabFolders(std::string_view cab)
{
    const unsigned folders = Le16At(cab, 26), flags = Le16At(cab, 30);
    std::size_t at = 36;
    unsigned folderReserve = 0, dataReserve = 0;
    if (flags & 0x4) {  // reserved areas follow the header
        if (at + 4 > cab.size())
            return {};
        folderReserve = ByteAt(cab, 38);
        dataReserve = ByteAt(cab, 39);
        at += 4 + Le16At(cab, 36);
    }
    // Names of the previous and next cabinet and their disks.
    for (unsigned skip = ((flags & 1) ? 2 : 0) + ((flags & 2) ? 2 : 0); skip > 0 && at < cab.size(); --skip)
        at = std::min(cab.find('\0', at), cab.size()) + 1;
    std::vector<CabFolder> list;
    std::size_t blocksLeft = cab.size() / 8;
    for (unsigned i = 0; i < folders && at + 8 <= cab.size(); ++i, at += 8 + folderReserve)
        list.push_back(ReadCabFolder(cab, at, dataReserve, blocksLeft));
    return list;
}

}  // namespace

std::vector<EntryDetails> ReadCabDetails(std::string_view d, std::size_t base)
{
    std::vector<EntryDetails> list;
    if (base + 36 > d.size())
        return list;
    const std::string_view cab = d.substr(base);
    const std::vector<CabFolder> folders = ReadCabFolders(cab);
    if (folders.empty())
        return list;
    std::size_t at = Le32At(cab, 16);
    for (unsigned i = Le16At(cab, 28); i > 0 && at + 16 < cab.size(); --i) {
        EntryDetails e;
        const std::uint64_t size = Le32At(cab, at);
        unsigned folder = Le16At(cab, at + 8);
        if (folder >= 0xFFFD)  // continued from or into another cabinet
            folder = folder == 0xFFFD ? 0 : static_cast<unsigned>(folders.size() - 1);
        const CabFolder &f = folders[std::min<std::size_t>(folder, folders.size() - 1)];
        e.method = f.method;
        // Entries share their folder's compressed bytes in proportion to their sizes.
        e.compressedSize =
            f.unpacked ? static_cast<std::uint64_t>(static_cast<long double>(size) * f.packed / f.unpacked)
                       : size;
        e.dosAttributes = Le16At(cab, at + 14) & 0x3F;
        const std::size_t nameEnd = std::min(cab.find('\0', at + 16), cab.size());
        e.rawName = std::string(cab.substr(at + 16, nameEnd - at - 16));
        list.push_back(std::move(e));
        at = nameEnd + 1;
    }
    return list;
}

namespace {

void ReadRar4(std::string_view d, std::size_t h, std::vector<EntryDetails> &list)
{
    while (h + 7 <= d.size()) {
        const unsigned type = ByteAt(d, h + 2), flags = Le16At(d, h + 3), size = Le16At(d, h + 5);
        if (size < 7 || type == 0x7B)
            break;
        std::uint64_t add = 0;
        if (type == 0x74 && h + 32 <= d.size()) {
            add = Le32At(d, h + 7);
            if ((flags & 0x100) && h + 40 <= d.size())
                add |= static_cast<std::uint64_t>(Le32At(d, h + 32)) << 32;
            EntryDetails e;
            e.compressedSize = add;
            e.osType = ByteAt(d, h + 15);
            e.crc = Le32At(d, h + 16);
            e.dataCrc32 = (flags & 0xE0) != 0xE0;  // folders carry no data
            e.method = RarMethodText(ByteAt(d, h + 25) >= 0x30 ? ByteAt(d, h + 25) - 0x30 : 0);
            if (e.osType == 0 || e.osType == 2)
                e.dosAttributes = Le32At(d, h + 28) & 0x3F;
            list.push_back(std::move(e));
        } else if ((flags & 0x8000) && h + 11 <= d.size()) {
            add = Le32At(d, h + 7);
        }
        // A 64-bit data size can be anything: the next header must lie
        // within the data, never wrap around to before it.
        const auto headerEnd = AdvanceWithin(h, size, d.size());
        const auto next = headerEnd ? AdvanceWithin(*headerEnd, add, d.size()) : std::nullopt;
        if (!next)
            break;
        h = *next;
    }
}

void ReadRar5(std::string_view d, std::size_t h, std::vector<EntryDetails> &list)
{
    while (h + 5 <= d.size()) {
        std::size_t at = h + 4;
        std::uint64_t size = 0, type = 0, flags = 0, extra = 0, data = 0;
        if (!ReadVint(d, at, size))
            break;
        const auto end = AdvanceWithin(at, size, d.size());
        if (!end)
            break;
        // the header's fields are read within the header
        const std::string_view header = d.substr(0, *end);
        if (!ReadVint(header, at, type) || !ReadVint(header, at, flags))
            break;
        if ((flags & 1) && !ReadVint(header, at, extra))
            break;
        if ((flags & 2) && !ReadVint(header, at, data))
            break;
        if (type == 5)
            break;
        if (type == 2) {
            std::uint64_t fileFlags = 0, unpacked = 0, attributes = 0, compression = 0, host = 0;
            EntryDetails e;
            e.compressedSize = data;
            if (ReadVint(header, at, fileFlags) && ReadVint(header, at, unpacked) &&
                ReadVint(header, at, attributes)) {
                if (fileFlags & 2)
                    at += 4;
                if ((fileFlags & 4) && at + 4 <= header.size()) {
                    e.crc = Le32At(header, at);
                    e.dataCrc32 = true;
                    at += 4;
                }
                if (ReadVint(header, at, compression) && ReadVint(header, at, host)) {
                    e.method = RarMethodText(static_cast<unsigned>((compression >> 7) & 7));
                    e.osType = static_cast<std::uint32_t>(host);
                    if (host == 0)
                        e.dosAttributes = static_cast<std::uint32_t>(attributes & 0x3F);
                }
            }
            list.push_back(std::move(e));
        }
        const auto next = AdvanceWithin(*end, data, d.size());
        if (!next)
            break;
        h = *next;
    }
}

}  // namespace

std::vector<EntryDetails> ReadRarDetails(std::string_view d, std::size_t base)
{
    std::vector<EntryDetails> list;
    if (d.compare(base, 8, std::string_view("Rar!\x1a\x07\x01\x00", 8)) == 0)
        ReadRar5(d, base + 8, list);
    else if (d.compare(base, 7, std::string_view("Rar!\x1a\x07\x00", 7)) == 0)
        ReadRar4(d, base + 7, list);
    return list;
}

namespace {

std::optional<std::size_t> FindZipEndRecord(std::string_view d)
{
    if (d.size() < 22)
        return std::nullopt;
    const std::size_t lowest = d.size() > 22 + 65535 ? d.size() - 22 - 65535 : 0;
    for (std::size_t p = d.size() - 22 + 1; p-- > lowest;)
        if (Le32At(d, p) == 0x06054b50)
            return p;
    return std::nullopt;
}

// One central directory record at `p` (bounds checked by the caller).
EntryDetails ReadZipCentralRecord(std::string_view d, std::size_t p)
{
    EntryDetails e;
    e.method = ZipMethodText(Le16At(d, p + 10));
    e.crc = Le32At(d, p + 16);
    e.compressedSize = Le32At(d, p + 20);
    e.osType = ByteAt(d, p + 5);
    const std::uint32_t external = Le32At(d, p + 38);
    if (e.osType == 0 || e.osType == 10 || e.osType == 11 || e.osType == 14)  // DOS, NTFS, VM/CMS, VFAT
        e.dosAttributes = external & 0x3F;
    else if (e.osType == 3 && (external >> 16) != 0)  // Unix mode: read-only when not owner-writable
        e.dosAttributes = ((external >> 16) & 0200) ? 0 : 1;
    return e;
}

}  // namespace

std::string ZipMethodText(unsigned method)
{
    static const std::pair<unsigned, const char *> methods[] = {{0, "Stored"}, {8, "Deflate"}, {9, "Defl64"},
                                                                {12, "BZip2"}, {14, "LZMA"},   {93, "Zstd"},
                                                                {95, "XZ"},    {98, "PPMd"},   {99, "AES"}};
    for (const auto &[code, text] : methods)
        if (code == method)
            return text;
    return "M" + std::to_string(method);
}

std::vector<EntryDetails> ReadZipDetails(std::string_view d)
{
    const auto eocd = FindZipEndRecord(d);
    if (!eocd || Le32At(d, *eocd + 12) > *eocd)
        return {};
    std::vector<std::pair<std::uint32_t, EntryDetails>> byOffset;
    for (std::size_t p = *eocd - Le32At(d, *eocd + 12); p + 46 <= *eocd && Le32At(d, p) == 0x02014b50;) {
        byOffset.emplace_back(Le32At(d, p + 42), ReadZipCentralRecord(d, p));
        p += 46 + Le16At(d, p + 28) + Le16At(d, p + 30) + Le16At(d, p + 32);
    }
    // The reader visits the entries in the order of their local headers.
    std::stable_sort(byOffset.begin(), byOffset.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    std::vector<EntryDetails> list;
    for (auto &item : byOffset)
        list.push_back(std::move(item.second));
    return list;
}

bool NamesAreUtf8(const std::vector<EntryDetails> &details)
{
    bool anyNonAscii = false;
    for (const auto &d : details) {
        if (std::all_of(d.rawName.begin(), d.rawName.end(), [](char c) { return (c & 0x80) == 0; }))
            continue;
        if (!platform::IsValidUtf8(d.rawName))
            return false;
        anyNonAscii = true;
    }
    return anyNonAscii;
}

namespace {

std::vector<EntryDetails> DetailsOf(const MappedFile &file, std::uint64_t base, LibarchiveFormat format)
{
    const std::string_view d = file.view();
    if (base >= d.size())
        return {};
    switch (format) {
    case LibarchiveFormat::kLha:
        return ReadLhaDetails(d, static_cast<std::size_t>(base));
    case LibarchiveFormat::kCab:
        return ReadCabDetails(d, static_cast<std::size_t>(base));
    case LibarchiveFormat::kRar:
        return ReadRarDetails(d, static_cast<std::size_t>(base));
    case LibarchiveFormat::kZip:
        return ReadZipDetails(d);
    case LibarchiveFormat::kTar:
    case LibarchiveFormat::k7z:
        break;
    }
    return {};
}

// Tar headers hold nothing more; libarchive reports what 7z holds.
bool HasOwnDetails(LibarchiveFormat format)
{
    return format != LibarchiveFormat::kTar && format != LibarchiveFormat::k7z;
}

}  // namespace

std::vector<EntryDetails> ReadEntryDetails(const std::string &path, std::uint64_t base,
                                           LibarchiveFormat format)
{
    return HasOwnDetails(format) ? DetailsOf(MappedFile(path), base, format) : std::vector<EntryDetails>{};
}

std::vector<EntryDetails> ReadEntryDetails(int fd, std::uint64_t base, LibarchiveFormat format)
{
    return HasOwnDetails(format) ? DetailsOf(MappedFile(fd), base, format) : std::vector<EntryDetails>{};
}

std::string DosAttributeText(std::uint32_t a)
{
    std::string text = "----";
    if (a & 0x20)
        text[0] = 'A';
    if (a & 0x04)
        text[1] = 'S';
    if (a & 0x02)
        text[2] = 'H';
    if (a & 0x01)
        text[3] = 'R';
    return text;
}

void ApplyEntryDetails(const EntryDetails &details, EntryInfo &entry)
{
    if (details.compressedSize)
        entry.compressedSize = *details.compressedSize;
    entry.crc = details.crc;
    entry.osType = details.osType;
    if (details.dosAttributes)
        entry.attributes = DosAttributeText(*details.dosAttributes);
    if (!details.method.empty())
        entry.method = details.method;
}

std::string DefaultMethodText(LibarchiveFormat format, const char *formatName, const char *filterName)
{
    const std::string name = formatName ? formatName : "";
    switch (format) {
    case LibarchiveFormat::kLha: {
        const auto dash = name.find('-');
        return dash == std::string::npos ? name : name.substr(dash, 5);
    }
    case LibarchiveFormat::kCab:
    case LibarchiveFormat::kZip: {
        const auto open = name.find('('), close = name.rfind(')');
        if (open == std::string::npos || close == std::string::npos || close < open)
            return name;
        const std::string inner = name.substr(open + 1, close - open - 1);
        if (inner == "uncompressed" || inner == "NONE")
            return "Stored";
        if (inner == "deflation")
            return "Deflate";
        return inner;
    }
    case LibarchiveFormat::kTar: {
        const std::string filter = filterName ? filterName : "none";
        return filter == "none" ? "-----" : filter;
    }
    case LibarchiveFormat::kRar:
        return name;
    case LibarchiveFormat::k7z:
        return "7z";  // the coder is not reported per entry
    }
    return name;
}

}  // namespace zr::archivers
