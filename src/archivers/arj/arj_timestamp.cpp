#include "archivers/arj/arj_timestamp.h"

#include <ctime>

#include "archivers/arj/arj_reader.h"

namespace zr::arj {
namespace {

constexpr std::uint32_t kDosEpoch = (0u << 25) | (1u << 21) | (1u << 16);  // 1980-01-01 00:00:00

std::uint32_t UnixToDosTime(std::int64_t seconds) {
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm local{};
    if (localtime_r(&t, &local) == nullptr || local.tm_year < 80) return kDosEpoch;
    if (local.tm_year > 80 + 127) return kDosEpoch;  // beyond 2107: not representable
    const std::uint32_t date = (static_cast<std::uint32_t>(local.tm_year - 80) << 9) |
                               (static_cast<std::uint32_t>(local.tm_mon + 1) << 5) |
                               static_cast<std::uint32_t>(local.tm_mday);
    const std::uint32_t time = (static_cast<std::uint32_t>(local.tm_hour) << 11) |
                               (static_cast<std::uint32_t>(local.tm_min) << 5) |
                               static_cast<std::uint32_t>(local.tm_sec / 2);
    return (date << 16) | time;
}

std::int64_t DosToUnixTime(std::uint32_t dos) {
    std::tm local{};
    local.tm_year = static_cast<int>((dos >> 25) & 0x7F) + 80;
    local.tm_mon = static_cast<int>((dos >> 21) & 0x0F) - 1;
    local.tm_mday = static_cast<int>((dos >> 16) & 0x1F);
    local.tm_hour = static_cast<int>((dos >> 11) & 0x1F);
    local.tm_min = static_cast<int>((dos >> 5) & 0x3F);
    local.tm_sec = static_cast<int>(dos & 0x1F) * 2;
    local.tm_isdst = -1;
    if (local.tm_mon < 0 || local.tm_mon > 11 || local.tm_mday == 0) return 0;
    const std::time_t t = std::mktime(&local);
    return t == static_cast<std::time_t>(-1) ? 0 : static_cast<std::int64_t>(t);
}

}  // namespace

bool IsUnixTimeHost(std::uint8_t hostOs) {
    return hostOs == static_cast<std::uint8_t>(ArjHostOs::kUnix);
}

std::int64_t ArjTimeToUnixTime(std::uint32_t raw, std::uint8_t hostOs) {
    return IsUnixTimeHost(hostOs) ? static_cast<std::int64_t>(raw) : DosToUnixTime(raw);
}

std::uint32_t ArjTimeToDosTime(std::uint32_t raw, std::uint8_t hostOs) {
    return IsUnixTimeHost(hostOs) ? UnixToDosTime(raw) : raw;
}

}  // namespace zr::arj
