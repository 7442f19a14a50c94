#pragma once
// Number and size texts for counts and byte counts shown to the user.

#include <string>

namespace zr {

// The whole number (rounded half away from zero) with "," every three digits,
// whatever the locale: 1234567 gives "1,234,567", -1234 gives "-1,234".
std::string GroupedNumber(double value);

// "1.50 KB", "12.00 MB", "3.25 GB": bytes in KB while below 1025 KB, then MB
// while below 1025 MB, then GB. truncate cuts to two decimals instead of
// rounding.
std::string SizeText(bool truncate, double bytes);

// SizeText + " (" + GroupedNumber(bytes) + " バイト)".
std::string SizeWithBytesText(bool truncate, double bytes);

}  // namespace zr
