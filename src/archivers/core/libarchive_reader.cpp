#include "archivers/core/libarchive_reader.h"

#include <algorithm>
#include <archive.h>
#include <archive_entry.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <optional>
#include <unistd.h>
#include <zlib.h>

#include "archivers/archiver_api.h"
#include "archivers/core/entry_details.h"
#include "archivers/core/file_stream.h"
#include "archivers/core/gzip_stream.h"
#include "archivers/core/mapped_file.h"
#include "archivers/core/signature_scan.h"
#include "archivers/core/stored_name.h"
#include "archivers/core/xz_stream.h"

namespace zr::archivers {

namespace {

// LHA and CAB names carry no charset of their own (CAB's UTF-8 flag aside):
// they are CP932 unless the archive's names are all valid UTF-8.
// The compressions a tar or a single compressed file may come in.
void EnableTarFilters(struct archive *a)
{
    archive_read_support_filter_gzip(a);
    archive_read_support_filter_bzip2(a);
    archive_read_support_filter_compress(a);
    archive_read_support_filter_xz(a);
    archive_read_support_filter_lzma(a);
    archive_read_support_filter_zstd(a);
    archive_read_support_filter_lz4(a);
    archive_read_support_filter_lzip(a);
}

void EnableFormat(struct archive *a, LibarchiveFormat format, bool utf8Names)
{
    const char *charset = utf8Names ? "UTF-8" : "CP932";
    switch (format) {
    case LibarchiveFormat::kLha:
        archive_read_support_format_lha(a);
        archive_read_set_format_option(a, "lha", "hdrcharset", charset);
        break;
    case LibarchiveFormat::kCab:
        archive_read_support_format_cab(a);
        archive_read_set_format_option(a, "cab", "hdrcharset", charset);
        break;
    case LibarchiveFormat::kTar:
        archive_read_support_format_tar(a);
        archive_read_support_format_raw(a);
        EnableTarFilters(a);
        break;
    case LibarchiveFormat::kRar:
        archive_read_support_format_rar(a);
        archive_read_support_format_rar5(a);
        break;
    case LibarchiveFormat::kZip:
        archive_read_support_format_zip(a);
        break;
    case LibarchiveFormat::k7z:
        archive_read_support_format_7zip(a);
        break;
    }
}

std::optional<SignatureFormat> ScannedFormat(LibarchiveFormat format)
{
    switch (format) {
    case LibarchiveFormat::kLha:
        return SignatureFormat::kLha;
    case LibarchiveFormat::kCab:
        return SignatureFormat::kCab;
    case LibarchiveFormat::kRar:
        return SignatureFormat::kRar;
    case LibarchiveFormat::k7z:
        return SignatureFormat::k7z;
    default:
        return std::nullopt;
    }
}

std::string LowerAscii(std::string s)
{
    for (auto &c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// A single compressed file lists under the archive's name without its
// compression extension.
std::string SingleFileName(const std::string &path)
{
    std::string base = path.substr(path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1);
    const auto dot = base.rfind('.');
    if (dot != std::string::npos && dot > 0) {
        const std::string ext = LowerAscii(base.substr(dot));
        for (const char *single : {".gz", ".z", ".bz2", ".xz", ".lzma", ".zst", ".lz4", ".lz"})
            if (ext == single)
                return base.substr(0, dot);
        for (const char *tar : {".tgz", ".taz", ".txz", ".tzst", ".tlz"})
            if (ext == tar)
                return base.substr(0, dot) + ".tar";
    }
    return base;
}

// gzip keeps the original size modulo 2^32 in its last four bytes.
std::uint64_t GzipStoredSize(int fd)
{
    unsigned char tail[4] = {};
    struct stat st {};
    std::uint64_t size = 0;
    if (fd >= 0 && fstat(fd, &st) == 0 && st.st_size >= 18 && ::pread(fd, tail, 4, st.st_size - 4) == 4)
        size = tail[0] | (tail[1] << 8) | (tail[2] << 16) | (static_cast<std::uint64_t>(tail[3]) << 24);
    return size;
}

// Only gzip records the original size where it is cheap to read: count the
// bytes, up to the budget, so a small bomb cannot stall a listing.
std::uint64_t MeasureSingleFile(const std::string &path, std::uint64_t budget)
{
    struct archive *a = archive_read_new();
    archive_read_support_format_raw(a);
    EnableTarFilters(a);
    std::uint64_t total = 0;
    struct archive_entry *e = nullptr;
    if (archive_read_open_filename(a, path.c_str(), 1 << 20) == ARCHIVE_OK &&
        archive_read_next_header(a, &e) == ARCHIVE_OK) {
        const void *buffer = nullptr;
        size_t size = 0;
        la_int64_t offset = 0;
        while (total < budget && archive_read_data_block(a, &buffer, &size, &offset) == ARCHIVE_OK)
            total = static_cast<std::uint64_t>(offset) + size;
    }
    archive_read_free(a);
    return total;
}

// libarchive's name for a filter we decode ourselves.
const char *FilterName(int filter) { return filter == ARCHIVE_FILTER_XZ ? "xz" : "gzip"; }

class LibarchiveReader final : public ArchiveReader {
public:
    LibarchiveReader(std::string path, LibarchiveFormat format) : path_(std::move(path)), format_(format) {}
    ~LibarchiveReader() override
    {
        if (a_)
            archive_read_free(a_);
    }

    bool open(const OpenOptions &options, std::string &error);
    ReadStatus next(EntryInfo &entry) override;
    DataStatus readData(const DataSink &sink) override;
    std::uint64_t archiveOffset() const override { return base_; }
    void setStopCheck(std::function<bool()> keepGoing) override;
    bool skipDecompresses() const override
    {
        return !singleFile_ && (decoded_ || archive_filter_count(a_) > 1);
    }
    DataStatus skipData(const DataSink &observer) override;
    int tarType() const;
    int archiveType() const override { return format_ == LibarchiveFormat::kTar ? tarType() : 0; }

private:
    bool findBase(const OpenOptions &options, std::string &error);
    int attachSource();
    static la_ssize_t ReadDecoded(struct archive *a, void *self, const void **buffer);
    int outerFilter() const;
    std::string entryName(struct archive_entry *e) const;
    void fillEntry(struct archive_entry *e, EntryInfo &entry);
    bool acceptFirstHeader(std::string &error);
    bool skipRestOfData();
    DataStatus pushEntryData(const DataSink &sink);
    bool spendUnwritten(std::size_t size);

    std::string path_;
    LibarchiveFormat format_;
    std::uint64_t base_ = 0;
    struct archive *a_ = nullptr;
    FileStream stream_;
    // A gzip or xz file is decoded here, faster than libarchive's filter
    // would (ISA-L; xz blocks on several threads), and libarchive reads the
    // decoded bytes.
    std::unique_ptr<MappedFile> compressedFile_;
    std::unique_ptr<DecodedStream> decoded_;
    int decodedFilter_ = ARCHIVE_FILTER_NONE;
    std::vector<EntryDetails> details_;
    std::size_t index_ = 0;
    bool singleFile_ = false;
    bool measureSizes_ = false;
    bool tolerateBrokenHeaders_ = false;
    std::optional<std::uint32_t> expectedCrc_;
    std::uint64_t unwrittenLeft_ = kUnwrittenDataBudget;
    bool overBudget_ = false;
    bool dataPending_ = false;            // the current entry's data is not read to its end
    const DataSink *observer_ = nullptr;  // sees what a skip decompresses
};

bool LibarchiveReader::findBase(const OpenOptions &options, std::string &error)
{
    const auto scanned = ScannedFormat(format_);
    if (!scanned)
        return true;
    // A 7z self-extractor's stub need not be a DOS executable: anything
    // before the signature is a stub.
    const int fd = stream_.fd();
    const bool stub = format_ == LibarchiveFormat::k7z ? !StartsWith7zSignature(fd) : StartsWithMz(fd);
    if (!stub && !options.tolerateBrokenHeaders)
        return true;
    const auto found = FindArchiveSignature(MappedFile(fd).view(), *scanned);
    if (!found) {
        error = "no archive found in the file";
        return false;
    }
    base_ = *found;
    return true;
}

bool LibarchiveReader::open(const OpenOptions &options, std::string &error)
{
    measureSizes_ = options.measureUnknownSizes;
    unwrittenLeft_ = options.unwrittenBudget;
    tolerateBrokenHeaders_ = options.tolerateBrokenHeaders;
    // The file is opened once: where the archive starts, its own headers
    // and libarchive's stream all read through this handle.
    if (!stream_.open(path_)) {
        error = std::string("cannot open: ") + std::strerror(errno);
        return false;
    }
    if (!findBase(options, error))
        return false;
    if (!stream_.setBase(base_)) {
        error = "cannot open: no archive found in the file";
        return false;
    }
    details_ = ReadEntryDetails(stream_.fd(), base_, format_);
    a_ = archive_read_new();
    if (!a_) {
        error = "out of memory";
        return false;
    }
    if (attachSource() != ARCHIVE_OK) {
        const char *text = archive_error_string(a_);
        error = text ? text : "not a readable archive";
        return false;
    }
    return true;
}

int LibarchiveReader::attachSource()
{
    if (format_ == LibarchiveFormat::kTar && base_ == 0) {
        auto file = std::make_unique<MappedFile>(stream_.fd());
        if (LooksLikeGzip(file->view())) {
            decoded_ = std::make_unique<GzipStream>(file->view());
            decodedFilter_ = ARCHIVE_FILTER_GZIP;
        } else if (LooksLikeXz(file->view())) {
            decoded_ = std::make_unique<XzStream>(file->view());
            decodedFilter_ = ARCHIVE_FILTER_XZ;
        }
        if (decoded_) {
            file->adviseSequential();
            compressedFile_ = std::move(file);
            // The decoded stream is a tar or anything else (a single file),
            // never compressed again: only the formats bid.
            archive_read_support_format_tar(a_);
            archive_read_support_format_raw(a_);
            return archive_read_open(a_, this, nullptr, &LibarchiveReader::ReadDecoded, nullptr);
        }
    }
    EnableFormat(a_, format_, NamesAreUtf8(details_));
    return stream_.attach(a_);
}

la_ssize_t LibarchiveReader::ReadDecoded(struct archive *a, void *self, const void **buffer)
{
    auto *reader = static_cast<LibarchiveReader *>(self);
    std::string_view chunk;
    if (!reader->decoded_->read(chunk)) {
        archive_set_error(a, EIO, "%s", reader->decoded_->error().c_str());
        return ARCHIVE_FATAL;
    }
    reader->compressedFile_->releaseBefore(static_cast<std::size_t>(reader->decoded_->consumed()));
    *buffer = chunk.data();
    return static_cast<la_ssize_t>(chunk.size());
}

// The compression around the archive, ARCHIVE_FILTER_NONE when there is none.
int LibarchiveReader::outerFilter() const
{
    if (decoded_)
        return decodedFilter_;
    return archive_filter_count(a_) > 1 ? archive_filter_code(a_, 0) : ARCHIVE_FILTER_NONE;
}

bool LibarchiveReader::acceptFirstHeader(std::string &error)
{
    if (format_ != LibarchiveFormat::kTar || archive_format(a_) != ARCHIVE_FORMAT_RAW)
        return true;
    // The raw format takes anything: only a real compressed file counts.
    if (outerFilter() == ARCHIVE_FILTER_NONE) {
        error = "not a tar or compressed file";
        return false;
    }
    singleFile_ = true;
    return true;
}

std::string LibarchiveReader::entryName(struct archive_entry *e) const
{
    if (singleFile_)
        return SingleFileName(path_);
    if (format_ == LibarchiveFormat::kZip) {
        if (const char *utf8 = archive_entry_pathname_utf8(e))
            return NormaliseSeparators(utf8);
    }
    if (format_ == LibarchiveFormat::k7z) {
        // 7z names are Unicode; bytes that were no valid UTF-8 where the
        // archive was made come back escaped and are taken as CP932.
        const char *utf8 = archive_entry_pathname_utf8(e);
        return utf8 ? NormaliseSeparators(StoredNameToUtf8(UnescapeRawNameBytes(utf8))) : std::string();
    }
    const char *raw = archive_entry_pathname(e);
    if (!raw)
        raw = archive_entry_pathname_utf8(e);
    if (!raw)
        return {};
    if (format_ == LibarchiveFormat::kRar)
        return NormaliseSeparators(StoredNameToUtf8(RepairCp932TrailSlashes(raw)));
    return NormaliseSeparators(StoredNameToUtf8(raw));
}

void LibarchiveReader::fillEntry(struct archive_entry *e, EntryInfo &entry)
{
    entry = EntryInfo{};
    entry.name = entryName(e);
    switch (archive_entry_filetype(e)) {
    case AE_IFREG:
        entry.kind = EntryKind::kFile;
        break;
    case AE_IFDIR:
        entry.kind = EntryKind::kFolder;
        break;
    case AE_IFLNK:
        entry.kind = EntryKind::kLink;
        break;
    default:
        entry.kind = EntryKind::kSpecial;
        break;
    }
    if (archive_entry_hardlink(e))
        entry.kind = EntryKind::kLink;
    if (entry.kind == EntryKind::kFolder && !entry.name.empty() && entry.name.back() != '/')
        entry.name += '/';
    entry.size = archive_entry_size_is_set(e) ? static_cast<std::uint64_t>(archive_entry_size(e)) : 0;
    if (singleFile_ && outerFilter() == ARCHIVE_FILTER_GZIP)
        entry.size = GzipStoredSize(stream_.fd());
    else if (singleFile_ && measureSizes_)
        entry.size = MeasureSingleFile(path_, unwrittenLeft_);
    // 7z packs whole folders of entries together: no entry has a packed
    // size of its own, so it stays unknown (0) rather than look unpacked.
    entry.compressedSize = format_ == LibarchiveFormat::k7z ? 0 : entry.size;
    entry.modified = archive_entry_mtime_is_set(e) ? archive_entry_mtime(e) : 0;
    entry.encrypted = archive_entry_is_encrypted(e) != 0;
    if (entry.kind == EntryKind::kFile && !(archive_entry_perm(e) & 0200))
        entry.attributes[3] = 'R';
    entry.method = DefaultMethodText(format_, archive_format_name(a_),
                                     decoded_ ? FilterName(decodedFilter_) : archive_filter_name(a_, 0));
    expectedCrc_.reset();
    if (index_ < details_.size()) {
        ApplyEntryDetails(details_[index_], entry);
        // libarchive does not check the CRC of stored RAR entries.
        if (format_ == LibarchiveFormat::kRar && details_[index_].dataCrc32 && entry.kind == EntryKind::kFile)
            expectedCrc_ = details_[index_].crc;
        if (entry.name.empty() || entry.name == "/")
            entry.name = NormaliseSeparators(StoredNameToUtf8(details_[index_].rawName)) + entry.name;
    }
    ++index_;
}

void LibarchiveReader::setStopCheck(std::function<bool()> keepGoing)
{
    // Only 7z packs many entries into one stream whose skipped parts are
    // decompressed without a word to the caller.
    if (format_ == LibarchiveFormat::k7z)
        stream_.setStopCheck(std::move(keepGoing));
}

int LibarchiveReader::tarType() const
{
    switch (outerFilter()) {
    case ARCHIVE_FILTER_NONE:
        return singleFile_ ? ZR_TAR_TYPE_NONE : ZR_TAR_TYPE_TAR;
    case ARCHIVE_FILTER_GZIP:
        return singleFile_ ? ZR_TAR_TYPE_GZ : ZR_TAR_TYPE_TARGZ;
    case ARCHIVE_FILTER_COMPRESS:
        return singleFile_ ? ZR_TAR_TYPE_Z : ZR_TAR_TYPE_TARZ;
    case ARCHIVE_FILTER_BZIP2:
        return singleFile_ ? ZR_TAR_TYPE_BZ2 : ZR_TAR_TYPE_TARBZ2;
    case ARCHIVE_FILTER_XZ:
        return singleFile_ ? ZR_TAR_TYPE_XZ : ZR_TAR_TYPE_TARXZ;
    case ARCHIVE_FILTER_ZSTD:
        return singleFile_ ? ZR_TAR_TYPE_ZSTD : ZR_TAR_TYPE_TARZSTD;
    case ARCHIVE_FILTER_LZ4:
        return singleFile_ ? ZR_TAR_TYPE_LZ4 : ZR_TAR_TYPE_TARLZ4;
    case ARCHIVE_FILTER_LZIP:
        return singleFile_ ? ZR_TAR_TYPE_LZIP : ZR_TAR_TYPE_TARLZIP;
    case ARCHIVE_FILTER_LZMA:
        return singleFile_ ? ZR_TAR_TYPE_LZMA : ZR_TAR_TYPE_TARLZMA;
    default:
        return ZR_TAR_TYPE_NONE;
    }
}

bool LibarchiveReader::spendUnwritten(std::size_t size)
{
    if (size > unwrittenLeft_) {
        overBudget_ = true;
        return false;
    }
    unwrittenLeft_ -= size;
    return true;
}

// Inside a compressed stream the reader can only skip an entry's data by
// decompressing it; done here, it counts against the budget. (A single
// compressed file has no next entry, so nothing is skipped there.)
bool LibarchiveReader::skipRestOfData()
{
    if (!dataPending_ || !skipDecompresses())
        return true;
    return readData(nullptr) != DataStatus::kError;
}

DataStatus LibarchiveReader::skipData(const DataSink &observer)
{
    observer_ = skipDecompresses() ? &observer : nullptr;
    const DataStatus status = readData(nullptr);
    observer_ = nullptr;
    return status;
}

ReadStatus LibarchiveReader::next(EntryInfo &entry)
{
    if (!skipRestOfData()) {
        dataPending_ = false;
        return ReadStatus::kError;
    }
    struct archive_entry *e = nullptr;
    const int r = archive_read_next_header(a_, &e);
    if (r == ARCHIVE_EOF)
        return ReadStatus::kEnd;
    if (r < ARCHIVE_WARN && stream_.stopped()) {
        setStoppedByCaller();
        setError("Cancelled.", true);
        return ReadStatus::kError;
    }
    // A RAR entry whose data is encrypted fails its header but is listed
    // whole; the extraction passes it over like any encrypted entry.
    const bool lockedEntry = r == ARCHIVE_FAILED && e && archive_entry_is_encrypted(e);
    if ((r < ARCHIVE_WARN && !lockedEntry) || !e) {
        const char *text = archive_error_string(a_);
        const std::string reason = text ? text : "damaged header";
        // Tolerated: the entries before the damage stay usable, as if the
        // archive ended there.
        if (tolerateBrokenHeaders_ && index_ > 0) {
            setEndNote("Broken header, the rest of the archive is skipped: " + reason);
            return ReadStatus::kEnd;
        }
        // Encrypted headers fail before the first entry, with the archive
        // known to hold encrypted entries.
        setError(reason, true, index_ == 0 && archive_read_has_encrypted_entries(a_) > 0);
        return ReadStatus::kError;
    }
    std::string error;
    if (index_ == 0 && !acceptFirstHeader(error)) {
        setError(error, true);
        return ReadStatus::kError;
    }
    fillEntry(e, entry);
    // libarchive refuses the data of a header it failed; nothing to skip.
    dataPending_ = !lockedEntry;
    return ReadStatus::kOk;
}

DataStatus LibarchiveReader::readData(const DataSink &sink)
{
    DataStatus status = pushEntryData(sink);
    if (status == DataStatus::kStopped && overBudget_) {
        setError(kUnwrittenBudgetError, true);
        status = DataStatus::kError;
    }
    dataPending_ = status == DataStatus::kStopped;
    return status;
}

DataStatus LibarchiveReader::pushEntryData(const DataSink &sink)
{
    static const char zeros[4096] = {};
    std::int64_t written = 0;
    uLong crc = crc32(0, nullptr, 0);
    const auto push = [&](const char *data, std::size_t size) {
        if (!sink && !spendUnwritten(size))
            return false;
        if (observer_)
            (*observer_)(data, size);
        if (expectedCrc_)
            crc = crc32(crc, reinterpret_cast<const Bytef *>(data), static_cast<uInt>(size));
        return !sink || sink(data, size);
    };
    for (;;) {
        const void *buffer = nullptr;
        size_t size = 0;
        la_int64_t offset = 0;
        const int r = archive_read_data_block(a_, &buffer, &size, &offset);
        if (r == ARCHIVE_EOF) {
            if (expectedCrc_ && static_cast<std::uint32_t>(crc) != *expectedCrc_) {
                setError("CRC error", false);
                return DataStatus::kError;
            }
            return DataStatus::kComplete;
        }
        if (r != ARCHIVE_OK && stream_.stopped()) {
            setStoppedByCaller();
            return DataStatus::kStopped;
        }
        if (r != ARCHIVE_OK) {
            // A warning here is a CRC mismatch: never a success.
            const char *text = archive_error_string(a_);
            setError(text ? text : "data error", r == ARCHIVE_FATAL);
            return DataStatus::kError;
        }
        if (!sink && !expectedCrc_) {  // only checking: a hole has nothing to check, however large
            if (observer_ && offset > written)
                (*observer_)(nullptr, static_cast<std::size_t>(offset - written));
            written = std::max<std::int64_t>(written, offset);
        }
        while (written < offset) {  // a hole in a sparse entry
            const auto gap = static_cast<std::size_t>(std::min<std::int64_t>(offset - written, sizeof zeros));
            if (!push(zeros, gap))
                return DataStatus::kStopped;
            written += static_cast<std::int64_t>(gap);
        }
        if (size > 0 && !push(static_cast<const char *>(buffer), size))
            return DataStatus::kStopped;
        written += static_cast<std::int64_t>(size);
    }
}

}  // namespace

OpenResult OpenLibarchiveReader(const std::string &path, LibarchiveFormat format, const OpenOptions &options)
{
    auto reader = std::make_unique<LibarchiveReader>(path, format);
    OpenResult result;
    if (reader->open(options, result.error))
        result.reader = std::move(reader);
    return result;
}

int DetectTarType(const std::string &path)
{
    LibarchiveReader reader(path, LibarchiveFormat::kTar);
    std::string error;
    EntryInfo entry;
    // A tar archive may be empty: reaching its end still proves the format.
    if (!reader.open({}, error) || reader.next(entry) == ReadStatus::kError)
        return ZR_TAR_TYPE_NONE;
    return reader.tarType();
}

}  // namespace zr::archivers
