#include "archivers/arj/arj_timestamp.h"

#include "archivers/arj/arj_reader.h"
#include "archivers/core/dos_time.h"

namespace zr::arj {

bool IsUnixTimeHost(std::uint8_t hostOs) { return hostOs == static_cast<std::uint8_t>(ArjHostOs::kUnix); }

std::int64_t ArjTimeToUnixTime(std::uint32_t raw, std::uint8_t hostOs)
{
    return IsUnixTimeHost(hostOs) ? static_cast<std::int64_t>(raw)
                                  : static_cast<std::int64_t>(archivers::FromDosDateTime(raw));
}

std::uint32_t ArjTimeToDosTime(std::uint32_t raw, std::uint8_t hostOs)
{
    if (!IsUnixTimeHost(hostOs))
        return raw;
    const archivers::DosDateTime dos = archivers::ToDosDateTime(static_cast<std::time_t>(raw));
    return (static_cast<std::uint32_t>(dos.date) << 16) | dos.time;
}

}  // namespace zr::arj
