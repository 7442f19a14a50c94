#pragma once
// MS-DOS packed date and time as the archive records carry them, taken as
// wall-clock time without any time-zone conversion.

#include <QDateTime>
#include <cstdint>

namespace zr::archive {

// Invalid QDateTime for an impossible date or time (such as a zero date).
QDateTime DosDateTimeToDateTime(std::uint16_t dosDate, std::uint16_t dosTime);

// 100-nanosecond intervals since 1601-01-01 00:00; 0 for an impossible value.
std::int64_t DosDateTimeToFileTime(std::uint16_t dosDate, std::uint16_t dosTime);

}  // namespace zr::archive
