#include "app/settings_values.h"

#include "search/text_encoding_setting.h"
#include "util/file_queries.h"
#include "util/settings_store.h"

namespace zr {

namespace {

// A value stored with the wrong type shows as its default, so the dialog can
// still open and write a good one.
template <typename T, typename Read> T OrDefault(Read read, T fallback)
{
    try {
        return read();
    } catch (const std::exception &) {
        return fallback;
    }
}

}  // namespace

TSettingsValues TSettingsValues::FromRegistry()
{
    TSettingsValues v;
    v.viewer.useProgram =
        OrDefault([] { return ReadSettingInteger("Archive\\Viewer\\Text", "Viewer", 0) == 1; }, false);
    v.viewer.program =
        OrDefault([] { return ReadSettingString("Archive\\Viewer\\Text", "Program", ""); }, std::string());
    v.workPath = OrDefault([] { return ReadSettingString("Setting", "WorkPath", ""); }, std::string());
    v.silentMode = OrDefault([] { return ReadSettingBool("Setting", "SilentMode", true); }, true);
    v.logSizeKb = OrDefault([] { return ReadSettingInteger("Archive", "LogSize", 1024); }, 1024);
    if (v.logSizeKb < kMinLogSizeKb || v.logSizeKb > kMaxLogSizeKb)
        v.logSizeKb = 1024;  // the run falls back to the same
    v.beepSound = OrDefault([] { return ReadSettingBool("Setting", "BeepSound", false); }, false);
    v.followLinks = OrDefault([] { return ReadSettingBool("Setting", "FollowLinks", false); }, false);
    v.textEncoding =
        OrDefault([] { return search::ReadTextEncodingSetting(); }, regex::TEncodingChoice::ecAuto);
    v.cache = OrDefault([] { return search::CacheSettingValues::FromRegistry(); }, search::CacheSettingValues());
    return v;
}

void TSettingsValues::Write() const
{
    viewer.Write();
    WriteSettingString("Setting", "WorkPath", workPath);
    WriteSettingInteger("Setting", "SilentMode", silentMode ? 1 : 0);
    WriteSettingInteger("Archive", "LogSize", logSizeKb);
    WriteSettingInteger("Setting", "BeepSound", beepSound ? 1 : 0);
    WriteSettingInteger("Setting", "FollowLinks", followLinks ? 1 : 0);
    search::WriteTextEncodingSetting(textEncoding);
    cache.Write();
}

std::string SettingsProblem(const TSettingsValues &values)
{
    if (!values.workPath.empty() && !FolderExists(values.workPath))
        return "作業フォルダが見つかりません。\r\n" + values.workPath;
    if (values.logSizeKb < kMinLogSizeKb || values.logSizeKb > kMaxLogSizeKb)
        return "ログサイズは " + std::to_string(kMinLogSizeKb) + " から " + std::to_string(kMaxLogSizeKb) +
               " KB の範囲で指定してください。";
    if (values.viewer.useProgram && values.viewer.program.empty())
        return "ビューアのプログラムを指定してください。";
    return {};
}

}  // namespace zr
