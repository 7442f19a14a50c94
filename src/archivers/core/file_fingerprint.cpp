#include "archivers/core/file_fingerprint.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace zr::archivers {

namespace {

constexpr std::uint64_t kPrime1 = 0x9e3779b185ebca87ull;
constexpr std::uint64_t kPrime2 = 0xc2b2ae3d27d4eb4full;
constexpr std::uint64_t kPrime3 = 0x165667b19e3779f9ull;
constexpr std::uint64_t kPrime4 = 0x85ebca77c2b2ae63ull;

std::uint64_t Rotl(std::uint64_t x, int r) { return (x << r) | (x >> (64 - r)); }

std::uint64_t Load64(const unsigned char *p)
{
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

std::uint64_t Round(std::uint64_t acc, std::uint64_t lane)
{
    return Rotl(acc + lane * kPrime2, 31) * kPrime1;
}

std::int64_t Nanoseconds(const struct timespec &t)
{
    return std::int64_t{t.tv_sec} * 1'000'000'000 + t.tv_nsec;
}

}  // namespace

std::optional<FileStamp> StampOf(const std::string &path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return FileStamp{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
                     static_cast<std::uint64_t>(st.st_size), Nanoseconds(st.st_mtim),
                     Nanoseconds(st.st_ctim)};
}

void ContentHasher::stripe(const unsigned char *p)
{
    for (int i = 0; i < 4; ++i)
        lanes_[i] = Round(lanes_[i], Load64(p + 8 * i));
}

void ContentHasher::add(std::string_view bytes)
{
    auto p = reinterpret_cast<const unsigned char *>(bytes.data());
    std::size_t n = bytes.size();
    total_ += n;
    if (pendingSize_ > 0) {
        const std::size_t take = std::min(n, sizeof pending_ - pendingSize_);
        std::memcpy(pending_ + pendingSize_, p, take);
        pendingSize_ += take;
        p += take;
        n -= take;
        if (pendingSize_ < sizeof pending_)
            return;
        stripe(pending_);
        pendingSize_ = 0;
    }
    for (; n >= 32; p += 32, n -= 32)
        stripe(p);
    std::memcpy(pending_, p, n);
    pendingSize_ = n;
}

std::uint64_t ContentHasher::finish() const
{
    std::uint64_t h = Rotl(lanes_[0], 1) + Rotl(lanes_[1], 7) + Rotl(lanes_[2], 12) + Rotl(lanes_[3], 18);
    for (const std::uint64_t lane : lanes_)
        h = (h ^ Round(0, lane)) * kPrime1 + kPrime4;
    h += total_;
    std::size_t i = 0;
    for (; i + 8 <= pendingSize_; i += 8)
        h = Rotl(h ^ Round(0, Load64(pending_ + i)), 27) * kPrime1 + kPrime4;
    for (; i < pendingSize_; ++i)
        h = Rotl(h ^ (pending_[i] * kPrime4), 11) * kPrime1;
    h ^= h >> 33;
    h *= kPrime2;
    h ^= h >> 29;
    h *= kPrime3;
    h ^= h >> 32;
    return h;
}

std::optional<std::uint64_t> ContentHashOf(const std::string &path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    // Not zero-filled: the archives are often smaller than the buffer.
    constexpr std::size_t kBufferSize = 256u << 10;
    const auto buffer = std::make_unique_for_overwrite<char[]>(kBufferSize);
    ContentHasher hasher;
    for (;;) {
        const ssize_t got = ::read(fd, buffer.get(), kBufferSize);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (got == 0)
            break;
        hasher.add({buffer.get(), static_cast<std::size_t>(got)});
    }
    ::close(fd);
    return hasher.finish();
}

}  // namespace zr::archivers
