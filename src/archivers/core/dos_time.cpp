#include "archivers/core/dos_time.h"

namespace zr::archivers {

DosDateTime ToDosDateTime(std::time_t t)
{
    std::tm tm{};
    if (!localtime_r(&t, &tm) || tm.tm_year < 80)
        return {static_cast<std::uint16_t>((0 << 9) | (1 << 5) | 1), 0};
    if (tm.tm_year > 207)
        return {static_cast<std::uint16_t>((127 << 9) | (12 << 5) | 31),
                static_cast<std::uint16_t>((23 << 11) | (59 << 5) | 29)};
    DosDateTime d;
    d.date = static_cast<std::uint16_t>(((tm.tm_year - 80) << 9) | ((tm.tm_mon + 1) << 5) | tm.tm_mday);
    d.time = static_cast<std::uint16_t>((tm.tm_hour << 11) | (tm.tm_min << 5) | (tm.tm_sec / 2));
    return d;
}

std::time_t FromDosDateTime(std::uint32_t v)
{
    std::tm tm{};
    tm.tm_year = static_cast<int>((v >> 25) & 0x7F) + 80;
    tm.tm_mon = static_cast<int>((v >> 21) & 0x0F) - 1;
    tm.tm_mday = static_cast<int>((v >> 16) & 0x1F);
    tm.tm_hour = static_cast<int>((v >> 11) & 0x1F);
    tm.tm_min = static_cast<int>((v >> 5) & 0x3F);
    tm.tm_sec = static_cast<int>(v & 0x1F) * 2;
    tm.tm_isdst = -1;
    if (tm.tm_mon < 0 || tm.tm_mon > 11 || tm.tm_mday == 0)
        return 0;
    const std::time_t t = std::mktime(&tm);
    return t == static_cast<std::time_t>(-1) ? 0 : t;
}

}  // namespace zr::archivers
