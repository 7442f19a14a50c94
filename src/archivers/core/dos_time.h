#pragma once
// MS-DOS packed date and time (local time) for the entry record.

#include <cstdint>
#include <ctime>

namespace zr::archivers {

struct DosDateTime {
    std::uint16_t date = 0;
    std::uint16_t time = 0;
};

// Times before 1980 give 1980-01-01 00:00, after 2107 give 2107-12-31 23:59:58.
DosDateTime ToDosDateTime(std::time_t t);
// Seconds since 1970 (UTC); an impossible date (month 0 or above 12, day 0)
// gives 0.
std::time_t FromDosDateTime(std::uint32_t dosDateHighTimeLow);

}  // namespace zr::archivers
