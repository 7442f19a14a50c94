#pragma once
// Texts of the detail view of an archive item list.

#include <array>
#include <cstdint>
#include <string>

#include "archive/archive_item_list.h"
#include "archive/archive_types.h"

namespace zr::archive {

enum TDetailColumn : int {
    dcName,
    dcType,
    dcTime,
    dcSize,
    dcRatio,
    dcCompressedSize,
    dcMode,
    dcAttribute,
    dcPath,
    dcColumnCount
};

// Column titles in display order.
const std::array<std::string, dcColumnCount> &DetailColumnTitles();

// "#,##0": 1234567 -> "1,234,567".
std::string FormatGroupedNumber(std::uint32_t value);
// "##0.0 %" of a value in tenths: 550 -> "55.0 %", -53 -> "-5.3 %".
std::string FormatTenthsPercent(int tenths);
// The ratio column: Lha, Arj and Rar show the saving, Zip the stored ratio,
// Cab and Tar nothing.
std::string RatioText(std::uint16_t ratio, TArchiveType type);
// "yyyy/MM/dd H:mm"; empty for an impossible date.
std::string DateTimeText(const QDateTime &dateTime);

std::string DetailText(const TArchiveItem &item, TArchiveType type, TDetailColumn column);

}  // namespace zr::archive
