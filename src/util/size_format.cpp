#include "util/size_format.h"

#include <charconv>
#include <cmath>

namespace zr {

namespace {
// Fixed notation that ignores LC_NUMERIC, so "." is always the decimal point.
std::string FixedText(double value, int decimals)
{
    char buf[400];
    const auto result = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    return std::string(buf, result.ptr);
}

std::string GroupDigits(const std::string &digits)
{
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i != 0 && (digits.size() - i) % 3 == 0)
            out += ',';
        out += digits[i];
    }
    return out;
}
}  // namespace

std::string GroupedNumber(double value)
{
    if (!std::isfinite(value))
        return "0";
    const double rounded = std::round(value);
    const std::string digits = FixedText(std::fabs(rounded), 0);
    return (rounded < 0 ? "-" : "") + GroupDigits(digits);
}

std::string SizeText(bool truncate, double bytes)
{
    double value = bytes / 1024;
    const char *unit = " KB";
    if (value >= 1025) {
        value /= 1024;
        unit = " MB";
        if (value >= 1025) {
            value /= 1024;
            unit = " GB";
        }
    }
    if (truncate)
        value = std::trunc(value * 100) / 100;
    return FixedText(value, 2) + unit;
}

std::string SizeWithBytesText(bool truncate, double bytes)
{
    return SizeText(truncate, bytes) + " (" + GroupedNumber(bytes) + " バイト)";
}

}  // namespace zr
