#include "archivers/arj/arj_crc32.h"

#include <array>

namespace zr::arj {
namespace {

constexpr std::array<std::uint32_t, 256> MakeTable()
{
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int bit = 0; bit < 8; ++bit)
            c = (c & 1) ? (0xEDB88320u ^ (c >> 1)) : (c >> 1);
        table[i] = c;
    }
    return table;
}

constexpr std::array<std::uint32_t, 256> kTable = MakeTable();

}  // namespace

void Crc32::update(const void *data, std::size_t size)
{
    const auto *bytes = static_cast<const unsigned char *>(data);
    std::uint32_t c = state_;
    for (std::size_t i = 0; i < size; ++i)
        c = kTable[(c ^ bytes[i]) & 0xFF] ^ (c >> 8);
    state_ = c;
}

std::uint32_t ComputeCrc32(const void *data, std::size_t size)
{
    Crc32 crc;
    crc.update(data, size);
    return crc.value();
}

}  // namespace zr::arj
