#include "search/content_cache_setup.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

#include "util/settings_store.h"

namespace zr::search {

std::string DefaultCacheFolder()
{
    const char *xdg = std::getenv("XDG_CACHE_HOME");
    // A relative value is ignored, as the base-directory rules ask.
    if (xdg && xdg[0] == '/')
        return std::string(xdg) + "/zurivo";
    const char *home = std::getenv("HOME");
    if (!home || home[0] != '/') {
        const passwd *user = ::getpwuid(::getuid());
        home = user ? user->pw_dir : nullptr;
    }
    return home ? std::string(home) + "/.cache/zurivo" : std::string();
}

CacheSettingValues CacheSettingValues::FromRegistry()
{
    CacheSettingValues v;
    v.on = ReadSettingBool("Cache", "CacheOn", true);
    v.folder = ReadSettingString("Cache", "CacheFolder", "");
    v.sizeMb = ReadSettingInteger("Cache", "CacheSizeMB", 2048);
    v.days = ReadSettingInteger("Cache", "CacheDays", 30);
    return v;
}

void CacheSettingValues::Write() const
{
    WriteSettingInteger("Cache", "CacheOn", on ? 1 : 0);
    WriteSettingString("Cache", "CacheFolder", folder);
    WriteSettingInteger("Cache", "CacheSizeMB", sizeMb);
    WriteSettingInteger("Cache", "CacheDays", days);
}

CacheSetup CacheSetup::FromRegistry()
{
    CacheSetup s;
    if (ReadSettingBool("Cache", "CacheOn", true)) {
        s.folder = ReadSettingString("Cache", "CacheFolder", "");
        if (s.folder.empty())
            s.folder = DefaultCacheFolder();
    }
    const int size = ReadSettingInteger("Cache", "CacheSizeMB", 2048);
    s.sizeLimitMb = size >= 0 ? static_cast<std::uint64_t>(size) : 2048;
    const int days = ReadSettingInteger("Cache", "CacheDays", 30);
    s.days = days > 0 ? days : 30;
    return s;
}

}  // namespace zr::search
