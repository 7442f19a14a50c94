#include "archive/dos_time.h"

namespace zr::archive {

QDateTime DosDateTimeToDateTime(std::uint16_t dosDate, std::uint16_t dosTime)
{
    const QDate date(1980 + (dosDate >> 9), (dosDate >> 5) & 0x0F, dosDate & 0x1F);
    const QTime time((dosTime >> 11) & 0x1F, (dosTime >> 5) & 0x3F, (dosTime & 0x1F) * 2);
    if (!date.isValid() || !time.isValid())
        return {};
    return QDateTime(date, time, Qt::UTC);
}

std::int64_t DosDateTimeToFileTime(std::uint16_t dosDate, std::uint16_t dosTime)
{
    const QDateTime dateTime = DosDateTimeToDateTime(dosDate, dosTime);
    if (!dateTime.isValid())
        return 0;
    constexpr std::int64_t kDaysFrom1601To1970 = 134774;
    constexpr std::int64_t kTicksPerSecond = 10'000'000;
    const std::int64_t seconds = dateTime.toSecsSinceEpoch() + kDaysFrom1601To1970 * 86400;
    return seconds * kTicksPerSecond;
}

}  // namespace zr::archive
