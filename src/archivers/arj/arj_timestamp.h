#pragma once
// ARJ time fields hold an MS-DOS date (high word) and time (low word) in
// local time, except in archives made on UNIX, where arj stores seconds
// since 1970 (UTC). These helpers read both forms.

#include <cstdint>

namespace zr::arj {

bool IsUnixTimeHost(std::uint8_t hostOs);

// Seconds since 1970 (UTC); an invalid MS-DOS value gives 0.
std::int64_t ArjTimeToUnixTime(std::uint32_t raw, std::uint8_t hostOs);

// MS-DOS date and time in local time (dates before 1980 clamp to 1980-01-01;
// a 32-bit UNIX time never reaches past 2107).
std::uint32_t ArjTimeToDosTime(std::uint32_t raw, std::uint8_t hostOs);

}  // namespace zr::arj
