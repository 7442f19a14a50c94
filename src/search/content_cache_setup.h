#pragma once
// Where the content cache lives and how much it may hold.

#include <cstdint>
#include <string>

namespace zr::search {

struct CacheSetup {
    std::string folder;  // "" = no cache for this run
    std::uint64_t sizeLimitMb = 2048;
    int days = 30;  // a pack not used for this long leaves

    // The "Cache" section of the settings store: "CacheOn", "CacheFolder"
    // ("" = DefaultCacheFolder()), "CacheSizeMB", "CacheDays".
    static CacheSetup FromRegistry();
};

// $XDG_CACHE_HOME/zurivo, else ~/.cache/zurivo.
std::string DefaultCacheFolder();

// The cache's settings as the settings dialog shows them.
struct CacheSettingValues {
    bool on = true;
    std::string folder;  // "" = DefaultCacheFolder()
    int sizeMb = 2048;
    int days = 30;

    static CacheSettingValues FromRegistry();
    void Write() const;
    // The folder the cache uses with these values.
    std::string EffectiveFolder() const { return folder.empty() ? DefaultCacheFolder() : folder; }
};

}  // namespace zr::search
