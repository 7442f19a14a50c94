#include "util/settings_store.h"

#include "util/registry_win.h"

namespace zr {

std::string ReadSettingString(std::string_view section, std::string_view name, std::string_view defaultValue)
{
    TWinRegistry registry(kSettingsBaseKey, true);
    return registry.ReadString(section, name, defaultValue);
}

void WriteSettingString(std::string_view section, std::string_view name, std::string_view value)
{
    TWinRegistry registry(kSettingsBaseKey, true);
    registry.WriteString(section, name, value);
}

int ReadSettingInteger(std::string_view section, std::string_view name, int defaultValue)
{
    TWinRegistry registry(kSettingsBaseKey, true);
    return registry.ReadInteger(section, name, defaultValue);
}

void WriteSettingInteger(std::string_view section, std::string_view name, int value)
{
    TWinRegistry registry(kSettingsBaseKey, true);
    registry.WriteInteger(section, name, value);
}

bool ReadSettingBool(std::string_view section, std::string_view name, bool defaultValue)
{
    TWinRegistry registry(kSettingsBaseKey, true);
    return registry.ReadBool(section, name, defaultValue);
}

}  // namespace zr
