#include "search/content_pack.h"

#include <bit>
#include <cstring>
#include <sys/stat.h>

namespace zr::search {

namespace {

constexpr char kMagic[8] = {'Z', 'R', 'P', 'A', 'C', 'K', '\0', '\1'};
// Bumped whenever the index layout changes: an older pack is then foreign.
constexpr std::uint32_t kIndexVersion = 2;

constexpr std::uint64_t kPrime1 = 0x9E3779B185EBCA87ull;
constexpr std::uint64_t kPrime2 = 0xC2B2AE3D27D4EB4Full;

void PutU64(std::string &out, std::uint64_t value)
{
    for (int i = 0; i < 8; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void PutU32(std::string &out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void PutText(std::string &out, std::string_view text)
{
    PutU64(out, text.size());
    out.append(text);
}

std::uint64_t LoadU64(const char *p)
{
    std::uint64_t value = 0;
    std::memcpy(&value, p, sizeof value);
    if constexpr (std::endian::native == std::endian::big)
        value = __builtin_bswap64(value);
    return value;
}

// Reads the index front to back; any read past its end fails the whole.
class Reader {
public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}

    std::uint64_t U64()
    {
        if (!Need(8))
            return 0;
        const std::uint64_t value = LoadU64(bytes_.data() + at_);
        at_ += 8;
        return value;
    }
    std::uint32_t U32()
    {
        if (!Need(4))
            return 0;
        std::uint32_t value = 0;
        for (int i = 3; i >= 0; --i)
            value = (value << 8) | static_cast<unsigned char>(bytes_[at_ + static_cast<std::size_t>(i)]);
        at_ += 4;
        return value;
    }
    std::string Text()
    {
        const std::uint64_t size = U64();
        if (!Need(size))
            return {};
        std::string text(bytes_.substr(at_, size));
        at_ += size;
        return text;
    }
    void Bytes(unsigned char *out, std::size_t size)
    {
        if (!Need(size))
            return;
        std::memcpy(out, bytes_.data() + at_, size);
        at_ += size;
    }
    bool Failed() const { return failed_; }
    bool AtEnd() const { return at_ == bytes_.size(); }

private:
    bool Need(std::uint64_t size)
    {
        if (failed_ || size > bytes_.size() - at_)
            failed_ = true;
        return !failed_;
    }

    std::string_view bytes_;
    std::size_t at_ = 0;
    bool failed_ = false;
};

}  // namespace

std::optional<ArchiveIdentity> IdentityOf(const std::string &path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return std::nullopt;
    ArchiveIdentity id;
    id.device = st.st_dev;
    id.inode = st.st_ino;
    id.size = static_cast<std::uint64_t>(st.st_size);
    id.mtimeNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    id.ctimeNs = static_cast<std::int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    return id;
}

std::string EncodeIndex(const PackIndex &index)
{
    std::string out;
    PutU32(out, kIndexVersion);
    const PackScope &s = index.scope;
    PutU64(out, s.archive.device);
    PutU64(out, s.archive.inode);
    PutU64(out, s.archive.size);
    PutU64(out, static_cast<std::uint64_t>(s.archive.mtimeNs));
    PutU64(out, static_cast<std::uint64_t>(s.archive.ctimeNs));
    PutU32(out, s.archiveType);
    PutU32(out, s.mode);
    PutU64(out, index.entryLimit);
    PutText(out, s.wildcards);
    PutU32(out, static_cast<std::uint32_t>(index.walkResult));
    PutText(out, index.message);
    PutU64(out, index.entries.size());
    for (const PackEntry &e : index.entries) {
        out.append(reinterpret_cast<const char *>(e.record.data()), e.record.size());
        PutText(out, e.fullName);
        PutU32(out, static_cast<std::uint32_t>(e.refusal));
        out.push_back(e.taken ? '\1' : '\0');
        if (!e.taken)
            continue;
        PutU64(out, e.dataSize);
        PutU32(out, static_cast<std::uint32_t>(e.endResult));
        PutText(out, e.endReason);
    }
    return out;
}

std::optional<PackIndex> DecodeIndex(std::string_view bytes)
{
    Reader in(bytes);
    if (in.U32() != kIndexVersion)
        return std::nullopt;
    PackIndex index;
    PackScope &s = index.scope;
    s.archive.device = in.U64();
    s.archive.inode = in.U64();
    s.archive.size = in.U64();
    s.archive.mtimeNs = static_cast<std::int64_t>(in.U64());
    s.archive.ctimeNs = static_cast<std::int64_t>(in.U64());
    s.archiveType = in.U32();
    s.mode = in.U32();
    index.entryLimit = in.U64();
    s.wildcards = in.Text();
    index.walkResult = static_cast<std::int32_t>(in.U32());
    index.message = in.Text();
    const std::uint64_t count = in.U64();
    // Each entry takes at least its record: a count past that is not ours.
    if (in.Failed() || count > bytes.size() / archive::kIndividualInfoSize)
        return std::nullopt;
    index.entries.resize(count);
    for (PackEntry &e : index.entries) {
        in.Bytes(e.record.data(), e.record.size());
        e.fullName = in.Text();
        e.refusal = static_cast<std::int32_t>(in.U32());
        unsigned char taken = 0;
        in.Bytes(&taken, 1);
        e.taken = taken == 1;
        if (e.taken) {
            e.dataSize = in.U64();
            e.endResult = static_cast<std::int32_t>(in.U32());
            e.endReason = in.Text();
        }
        if (in.Failed())
            return std::nullopt;
    }
    if (in.Failed() || !in.AtEnd())
        return std::nullopt;
    return index;
}

std::string EncodePackHeader(std::uint64_t dataSize, std::uint64_t indexSize, std::uint64_t checksum)
{
    std::string out(kMagic, sizeof kMagic);
    PutU64(out, dataSize);
    PutU64(out, indexSize);
    PutU64(out, checksum);
    return out;
}

std::optional<PackHeader> DecodePackHeader(std::string_view bytes)
{
    if (bytes.size() < kPackHeaderSize || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0)
        return std::nullopt;
    return PackHeader{LoadU64(bytes.data() + 8), LoadU64(bytes.data() + 16), LoadU64(bytes.data() + 24)};
}

void PackChecksum::Word(std::uint64_t word)
{
    std::uint64_t &lane = lanes_[(length_ / 8) % 4];
    lane = std::rotl(lane + word * kPrime2, 31) * kPrime1;
    length_ += 8;
}

void PackChecksum::Add(std::string_view bytes)
{
    const char *p = bytes.data();
    std::size_t n = bytes.size();
    // Whole words only: a piece's tail waits for the next piece.
    while (n > 0 && pendingSize_ > 0) {
        pending_[pendingSize_++] = static_cast<unsigned char>(*p++);
        --n;
        if (pendingSize_ == 8) {
            Word(LoadU64(reinterpret_cast<const char *>(pending_)));
            pendingSize_ = 0;
        }
    }
    for (; n >= 8; p += 8, n -= 8)
        Word(LoadU64(p));
    for (; n > 0; --n)
        pending_[pendingSize_++] = static_cast<unsigned char>(*p++);
}

std::uint64_t PackChecksum::Value() const
{
    std::uint64_t h = length_ + pendingSize_;
    for (const std::uint64_t lane : lanes_)
        h = std::rotl(h ^ (lane * kPrime1), 27) * kPrime2 + kPrime1;
    for (std::size_t i = 0; i < pendingSize_; ++i)
        h = std::rotl(h ^ (pending_[i] * kPrime1), 11) * kPrime2;
    h ^= h >> 33;
    h *= kPrime2;
    h ^= h >> 29;
    return h;
}

}  // namespace zr::search
