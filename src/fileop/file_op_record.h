#pragma once
// The 30-byte request record kept in form files under "data": the packed
// 32-bit layout of owner window, operation, source list, destination list,
// 16-bit flags, aborted flag, name mappings and progress title. Only the
// operation and the flags mean anything once read back.

#include "fileop/file_op_types.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace zr {

inline constexpr std::size_t kFileOpRecordSize = 30;
using TFileOpRecordBytes = std::array<std::uint8_t, kFileOpRecordSize>;

struct TFileOpRecord {
    std::uint32_t operation = 0;  // 0 = never set
    TFileOpFlags flags = 0;
    bool aborted = false;

    TFileOpRecordBytes Encode() const;
    // Nullopt unless bytes holds exactly one record.
    static std::optional<TFileOpRecord> Decode(std::span<const std::uint8_t> bytes);
};

}  // namespace zr
