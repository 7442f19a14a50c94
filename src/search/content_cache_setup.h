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

}  // namespace zr::search
