#pragma once
// Little-endian field reads from a byte buffer; callers check the bounds.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace zr::archivers {

inline std::uint8_t ByteAt(std::string_view d, std::size_t at) { return static_cast<unsigned char>(d[at]); }

inline std::uint32_t Le16At(std::string_view d, std::size_t at)
{
    return ByteAt(d, at) | (ByteAt(d, at + 1) << 8);
}

inline std::uint32_t Le32At(std::string_view d, std::size_t at)
{
    return Le16At(d, at) | (Le16At(d, at + 2) << 16);
}

inline std::uint64_t Le64At(std::string_view d, std::size_t at)
{
    return Le32At(d, at) | (static_cast<std::uint64_t>(Le32At(d, at + 4)) << 32);
}

// The position `length` bytes after `at`, or nothing when that passes
// `size` (the end of the data). Lengths come from the file itself: adding
// them first and comparing after would let a huge one wrap around to a
// small position before the data.
inline std::optional<std::size_t> AdvanceWithin(std::size_t at, std::uint64_t length, std::size_t size)
{
    if (at > size || length > size - at)
        return std::nullopt;
    return at + static_cast<std::size_t>(length);
}

// A RAR 5 variable-length integer; false when it runs off the buffer.
inline bool ReadVint(std::string_view d, std::size_t &at, std::uint64_t &value)
{
    value = 0;
    for (int shift = 0; shift < 64 && at < d.size(); shift += 7) {
        const std::uint8_t b = ByteAt(d, at++);
        value |= static_cast<std::uint64_t>(b & 0x7F) << shift;
        if (!(b & 0x80))
            return true;
    }
    return false;
}

}  // namespace zr::archivers
