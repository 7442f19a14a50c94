#include "fileop/file_op_record.h"

namespace zr {

namespace {

constexpr std::size_t kOperationOffset = 4;
constexpr std::size_t kFlagsOffset = 16;
constexpr std::size_t kAbortedOffset = 18;

void PutLittleEndian(TFileOpRecordBytes &bytes, std::size_t offset, std::uint32_t value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes[offset + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t GetLittleEndian(std::span<const std::uint8_t> bytes, std::size_t offset, int size)
{
    std::uint32_t value = 0;
    for (int i = 0; i < size; ++i)
        value |= std::uint32_t{bytes[offset + static_cast<std::size_t>(i)]} << (8 * i);
    return value;
}

}  // namespace

TFileOpRecordBytes TFileOpRecord::Encode() const
{
    TFileOpRecordBytes bytes{};  // window, list and title pointers stay zero
    PutLittleEndian(bytes, kOperationOffset, operation, 4);
    PutLittleEndian(bytes, kFlagsOffset, flags, 2);
    PutLittleEndian(bytes, kAbortedOffset, aborted ? 1 : 0, 4);
    return bytes;
}

std::optional<TFileOpRecord> TFileOpRecord::Decode(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() != kFileOpRecordSize)
        return std::nullopt;
    TFileOpRecord record;
    record.operation = GetLittleEndian(bytes, kOperationOffset, 4);
    record.flags = static_cast<TFileOpFlags>(GetLittleEndian(bytes, kFlagsOffset, 2));
    return record;
}

}  // namespace zr
