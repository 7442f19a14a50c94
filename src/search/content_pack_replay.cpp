#include "search/content_pack_replay.h"

#include <algorithm>
#include <fcntl.h>
#include <stdexcept>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <zstd.h>

#include "archivers/archiver_api.h"

namespace zr::search {

namespace {

constexpr const char *kCancelled = "Cancelled.";

// One decompression context and output buffer per thread, kept from pack
// to pack: making them anew costs more than a small pack's data.
struct Decompressor {
    Decompressor() : context(ZSTD_createDCtx()), buffer(PackReplay::kChunk, '\0')
    {
        if (!context)
            throw std::bad_alloc();
    }
    ~Decompressor() { ZSTD_freeDCtx(context); }
    Decompressor(const Decompressor &) = delete;
    Decompressor &operator=(const Decompressor &) = delete;

    ZSTD_DCtx *context;
    std::string buffer;
};

Decompressor &ThreadDecompressor()
{
    thread_local Decompressor decompressor;
    return decompressor;
}

// The data stream of a pack, read forward only.
class DataCursor {
public:
    explicit DataCursor(std::string_view data)
        : context_(ThreadDecompressor().context), in_{data.data(), data.size(), 0},
          buffer_(ThreadDecompressor().buffer)
    {
        ZSTD_DCtx_reset(context_, ZSTD_reset_session_only);
    }
    DataCursor(const DataCursor &) = delete;
    DataCursor &operator=(const DataCursor &) = delete;

    // Hands `size` bytes to `take` in pieces; stops early (false) when take
    // does. Throws when the stream holds fewer bytes.
    template <typename Take> bool Read(std::uint64_t size, Take take)
    {
        while (size > 0) {
            if (ready_.empty())
                Fill();
            const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(size, ready_.size()));
            const std::string_view piece = ready_.substr(0, n);
            ready_.remove_prefix(n);
            size -= n;
            if (!take(piece))
                return false;
        }
        return true;
    }
    void Skip(std::uint64_t size)
    {
        Read(size, [](std::string_view) { return true; });
    }

private:
    void Fill()
    {
        ZSTD_outBuffer out{buffer_.data(), buffer_.size(), 0};
        while (out.pos == 0) {
            if (in_.pos == in_.size)
                throw std::runtime_error("cache pack: data ends early");
            const std::size_t result = ZSTD_decompressStream(context_, &out, &in_);
            if (ZSTD_isError(result))
                throw std::runtime_error(std::string("cache pack: ") + ZSTD_getErrorName(result));
        }
        ready_ = std::string_view(buffer_.data(), out.pos);
    }

    ZSTD_DCtx *context_;
    ZSTD_inBuffer in_;
    std::string &buffer_;
    std::string_view ready_;
};

std::optional<PackIndex> UnpackIndex(std::string_view packed)
{
    const unsigned long long size = ZSTD_getFrameContentSize(packed.data(), packed.size());
    // The index is small beside the data; a claim past this is not ours.
    if (size == ZSTD_CONTENTSIZE_ERROR || size == ZSTD_CONTENTSIZE_UNKNOWN || size > (1ull << 31))
        return std::nullopt;
    std::string raw(size, '\0');
    const std::size_t got = ZSTD_decompress(raw.data(), raw.size(), packed.data(), packed.size());
    if (ZSTD_isError(got) || got != size)
        return std::nullopt;
    return DecodeIndex(raw);
}

}  // namespace

PackReplay::PackReplay(void *map, std::size_t mapSize, PackIndex index, std::string_view data,
                       std::int64_t usedNs)
    : map_(map), mapSize_(mapSize), index_(std::move(index)), data_(data), usedNs_(usedNs)
{
}

PackReplay::~PackReplay() { ::munmap(map_, mapSize_); }

std::unique_ptr<PackReplay> PackReplay::Open(const std::string &path, const PackScope &scope,
                                             Verdict &verdict)
{
    verdict = Verdict::kMissing;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return nullptr;
    verdict = Verdict::kBroken;
    struct stat st {};
    void *map = MAP_FAILED;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size >= static_cast<off_t>(kPackHeaderSize))
        map = ::mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
    ::close(fd);
    if (map == MAP_FAILED)
        return nullptr;
    const auto size = static_cast<std::size_t>(st.st_size);
    const std::string_view bytes(static_cast<const char *>(map), size);
    const std::optional<PackHeader> header = DecodePackHeader(bytes);
    std::optional<PackIndex> index;
    if (header && header->dataSize <= size &&
        header->indexSize == size - kPackHeaderSize - header->dataSize) {
        ::madvise(map, size, MADV_SEQUENTIAL);
        PackChecksum sum;
        sum.Add(bytes.substr(kPackHeaderSize));
        if (sum.Value() == header->checksum)
            index = UnpackIndex(bytes.substr(kPackHeaderSize + header->dataSize));
    }
    if (!index) {
        ::munmap(map, size);
        return nullptr;
    }
    if (!(index->scope == scope)) {
        verdict = Verdict::kStale;
        ::munmap(map, size);
        return nullptr;
    }
    verdict = Verdict::kUsable;
    return std::unique_ptr<PackReplay>(
        new PackReplay(map, size, std::move(*index), bytes.substr(kPackHeaderSize, header->dataSize),
                       static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec));
}

bool PackReplay::Covers(bool listOnly, std::uint64_t entryLimit) const
{
    if (listOnly)
        return true;
    // Under another limit the same entries end alike when none was cut and
    // every one fits the new limit too.
    const bool sameLimit = entryLimit == index_.entryLimit;
    for (const PackEntry &e : index_.entries) {
        if (e.refusal == ZR_ARC_OK && !e.taken)
            return false;
        if (e.taken && !sameLimit && (e.endResult == ZR_ARC_E_TOO_LARGE || e.dataSize > entryLimit))
            return false;
    }
    return true;
}

int PackReplay::Replay(archive::TEntryWalker &walker, std::string *message)
{
    const auto finish = [message](int result, const std::string &text) {
        if (message)
            *message = text;
        return result;
    };
    DataCursor data(data_);
    std::uint64_t skip = 0;  // data of entries taken when the pack was made, not now
    for (const PackEntry &e : index_.entries) {
        if (!walker.KeepGoing())
            return finish(ZR_ARC_E_CANCELLED, kCancelled);
        const int answer = walker.Offer(e.record, e.fullName, e.refusal);
        if (answer == ZR_ARC_WALK_STOP)
            return finish(ZR_ARC_E_CANCELLED, kCancelled);
        const bool taken = answer == ZR_ARC_WALK_TAKE && e.refusal == ZR_ARC_OK;
        if (!taken || !e.taken) {
            if (e.taken)
                skip += e.dataSize;
            continue;  // a taken entry the pack lacks cannot come: Covers said so
        }
        data.Skip(std::exchange(skip, 0));
        if (!data.Read(e.dataSize, [&walker](std::string_view piece) { return walker.Data(piece); })) {
            walker.EntryEnd(ZR_ARC_E_CANCELLED, kCancelled);
            return finish(ZR_ARC_E_CANCELLED, kCancelled);
        }
        walker.EntryEnd(e.endResult, e.endReason);
    }
    return finish(index_.walkResult, index_.message);
}

}  // namespace zr::search
