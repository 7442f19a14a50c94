#pragma once
// The settings store: one value at a time below "Software\Quib\ZiZiv" of
// HKEY_CURRENT_USER, every read with a default. Nothing is cached; each call
// opens the base key (creating it when missing) and closes it again.

#include <string>
#include <string_view>

namespace zr {

inline constexpr const char *kSettingsBaseKey = "Software\\Quib\\ZiZiv";

std::string ReadSettingString(std::string_view section, std::string_view name, std::string_view defaultValue);
void WriteSettingString(std::string_view section, std::string_view name, std::string_view value);
int ReadSettingInteger(std::string_view section, std::string_view name, int defaultValue);
void WriteSettingInteger(std::string_view section, std::string_view name, int value);
bool ReadSettingBool(std::string_view section, std::string_view name, bool defaultValue);

}  // namespace zr
