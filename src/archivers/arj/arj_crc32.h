#pragma once
// CRC-32 (IEEE 802.3, reflected, as used by ARJ for headers and data).

#include <cstddef>
#include <cstdint>

namespace zr::arj {

class Crc32 {
public:
    void update(const void *data, std::size_t size);
    std::uint32_t value() const { return ~state_; }

private:
    std::uint32_t state_ = 0xFFFFFFFFu;
};

std::uint32_t ComputeCrc32(const void *data, std::size_t size);

}  // namespace zr::arj
