#include "search/text_encoding_setting.h"

#include "util/settings_store.h"

#include <string>

namespace zr::search {

regex::TEncodingChoice ReadTextEncodingSetting()
{
    const std::string value = ReadSettingString("Setting", "TextEncoding", "auto");
    return regex::ParseEncodingChoice(value).value_or(regex::TEncodingChoice::ecAuto);
}

void WriteTextEncodingSetting(regex::TEncodingChoice choice)
{
    WriteSettingString("Setting", "TextEncoding", regex::EncodingChoiceName(choice));
}

}  // namespace zr::search
