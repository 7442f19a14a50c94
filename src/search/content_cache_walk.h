#pragma once
// One walk of an archive through the content cache: played back from the
// archive's pack when it has one made from these same bytes and walk and
// holding every entry the walker will take; otherwise walked through its
// library, recording a new pack on the way.

#include <cstdint>
#include <string>

#include "archive/archiver_binding.h"
#include "search/content_cache.h"

namespace zr::search {

struct CachedWalk {
    std::string archivePath;
    std::string wildcards;
    std::uint32_t mode = 0;
    bool listOnly = false;  // the walker takes no entry at all
};

// Answers as TArchiverBinding::WalkEntries does. `cache` may be null or off.
int WalkThroughCache(ContentCache *cache, archive::TArchiverBinding &binding, const CachedWalk &walk,
                     archive::TEntryWalker &walker, std::string *message);

// The file-size limit the libraries cut a taken entry at in this process.
std::uint64_t EntrySizeLimitHere();

}  // namespace zr::search
