#include "search/run_options.h"

#include "search/text_encoding_setting.h"

#include "util/settings_store.h"
#include "util/temp_folder.h"

namespace zr::search {

RunSettings RunSettings::FromRegistry()
{
    RunSettings s;
    s.workPath = ReadSettingString("Setting", "WorkPath", TempFolder());
    s.silentMode = ReadSettingBool("Setting", "SilentMode", true);
    s.reportType1 = ReadSettingBool("Setting", "ReportType1", false);
    s.reportType2 = ReadSettingBool("Setting", "ReportType2", false);
    s.skipFile = ReadSettingBool("Setting", "SkipFile", false);
    s.ignoreBrokenHeader = ReadSettingBool("Setting", "IgnoreBrokenHeader", false);
    s.followLinks = ReadSettingBool("Setting", "FollowLinks", false);
    s.workerLimits = worker::WorkerLimitSettings::FromRegistry();
    const int logSize = ReadSettingInteger("Archive", "LogSize", 1024);
    s.textEncoding = ReadTextEncodingSetting();
    s.logSizeKb = logSize > 0 ? static_cast<std::uint32_t>(logSize) : 1024;
    s.nest.maxDepth = NestDepthSetting(ReadSettingInteger("Setting", "NestDepth", kDefaultNestDepth));
    s.cache = CacheSetup::FromRegistry();
    return s;
}

}  // namespace zr::search
