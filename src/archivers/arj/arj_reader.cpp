#include "archivers/arj/arj_reader.h"

#include <algorithm>

#include "archivers/arj/arj_bit_reader.h"
#include "archivers/arj/arj_decoders.h"
#include "archivers/arj/arj_header_parser.h"
#include "archivers/arj/arj_output_window.h"
#include "platform/codepage.h"

namespace zr::arj {
namespace {

constexpr std::uint8_t kStored = 0;
constexpr std::uint8_t kFastest = 4;
constexpr std::size_t kCopyChunk = 64 * 1024;

// Names in messages: as stored when UTF-8, else read as CP932.
std::string DisplayName(const std::string &raw)
{
    return platform::IsValidUtf8(raw) ? raw : platform::Cp932ToUtf8Lossy(raw);
}

[[noreturn]] void FailEntry(ArjErrorCode code, const ArjEntry &entry, const std::string &what)
{
    throw ArjError(code, "\"" + DisplayName(entry.name) + "\": " + what);
}

void CheckExtractable(const ArjEntry &entry, const ArjSource &source)
{
    if (!entry.hasData())
        FailEntry(ArjErrorCode::kNotAFile, entry, "not a file");
    if (entry.isGarbled())
        FailEntry(ArjErrorCode::kEncrypted, entry, "encrypted (garbled) entry");
    if (entry.continuesInNextVolume() || entry.continuedFromPreviousVolume()) {
        FailEntry(ArjErrorCode::kMultiVolume, entry, "entry spans several volumes");
    }
    if (entry.method > kFastest) {
        FailEntry(ArjErrorCode::kUnsupportedMethod, entry, "unknown method " + std::to_string(entry.method));
    }
    if (entry.dataOffset > source.size() || source.size() - entry.dataOffset < entry.compressedSize) {
        FailEntry(ArjErrorCode::kTruncated, entry, "archive ends inside the entry's data");
    }
}

void CopyStored(const ArjSource &source, const ArjEntry &entry, detail::OutputWindow &out)
{
    if (entry.compressedSize < entry.originalSize) {
        FailEntry(ArjErrorCode::kCorruptData, entry, "stored size smaller than the original size");
    }
    std::vector<char> buffer(std::min<std::size_t>(kCopyChunk, entry.originalSize));
    std::uint64_t done = 0;
    while (done < entry.originalSize && !out.stopped()) {
        const std::size_t want = std::min<std::uint64_t>(buffer.size(), entry.originalSize - done);
        if (source.readAt(entry.dataOffset + done, buffer.data(), want) != want) {
            FailEntry(ArjErrorCode::kTruncated, entry, "archive ends inside the entry's data");
        }
        out.writeThrough(buffer.data(), want);
        done += want;
    }
}

void Decompress(const ArjSource &source, const ArjEntry &entry, detail::OutputWindow &out)
{
    if (entry.method == kStored) {
        CopyStored(source, entry, out);
        return;
    }
    detail::BitReader bits(source, entry.dataOffset, entry.compressedSize);
    if (entry.method == kFastest) {
        detail::DecodeFastestMethod(bits, out);
    } else {
        detail::DecodeHuffmanMethod(bits, out);
    }
    if (!out.stopped() && bits.overran()) {
        FailEntry(ArjErrorCode::kCorruptData, entry, "compressed data ends before the entry is complete");
    }
}

}  // namespace

ArjReader::ArjReader(const std::string &path, std::uint64_t archiveOffset)
    : ArjReader(OpenArjFileSource(path), archiveOffset)
{
}

ArjReader::ArjReader(std::shared_ptr<ArjSource> source, std::uint64_t archiveOffset)
    : source_(std::move(source)), archiveOffset_(archiveOffset)
{
    readEntries(readMainHeader());
}

std::uint64_t ArjReader::readMainHeader()
{
    detail::RawHeader main;
    try {
        main = detail::ReadRawHeader(*source_, archiveOffset_);
    } catch (const ArjError &e) {
        if (e.code() == ArjErrorCode::kIo)
            throw;
        throw ArjError(ArjErrorCode::kNotArj, std::string("not an ARJ archive: ") + e.what());
    }
    if (main.isEndMarker || !detail::IsMainHeader(main.basic)) {
        throw ArjError(ArjErrorCode::kNotArj,
                       "not an ARJ archive: no main header at offset " + std::to_string(archiveOffset_));
    }
    mainHeader_ = detail::ParseMainHeader(main);
    return main.endOffset;
}

void ArjReader::readEntries(std::uint64_t pos)
{
    for (;;) {
        const detail::RawHeader raw = detail::ReadRawHeader(*source_, pos);
        if (raw.isEndMarker)
            return;
        ArjEntry entry = detail::ParseEntryHeader(raw);
        entry.dataOffset = raw.endOffset;
        pos = entry.dataOffset + entry.compressedSize;
        if (pos > source_->size())
            FailEntry(ArjErrorCode::kTruncated, entry, "archive ends inside the entry's data");
        entries_.push_back(std::move(entry));
    }
}

bool ArjReader::extract(const ArjEntry &entry, const ArjSink &sink) const
{
    CheckExtractable(entry, *source_);
    detail::OutputWindow out(entry.originalSize, sink);
    Decompress(*source_, entry, out);
    out.flush();
    if (out.stopped())
        return false;
    if (out.produced() != entry.originalSize) {
        FailEntry(ArjErrorCode::kCorruptData, entry, "decompressed size differs from the stored size");
    }
    if (out.crc() != entry.crc32)
        FailEntry(ArjErrorCode::kDataCrc, entry, "CRC error");
    return true;
}

std::string ArjMethodName(std::uint8_t method) { return "m" + std::to_string(method); }

}  // namespace zr::arj
