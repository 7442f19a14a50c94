#include "search/content_cache_walk.h"

#include <sys/resource.h>
#include <unistd.h>

#include "archivers/archiver_api.h"
#include "search/content_pack_recorder.h"
#include "search/content_pack_replay.h"

namespace zr::search {

namespace {

// Walk results that say something lasting about the archive's bytes (a
// stop, a missing library or a file that could not be opened do not).
bool Lasting(int result)
{
    switch (result) {
    case ZR_ARC_OK:
    case ZR_ARC_E_DATA:
    case ZR_ARC_E_UNSUPPORTED:
    case ZR_ARC_E_NOT_ARCHIVE:
        return true;
    default:
        return false;
    }
}

int RecordWalk(ContentCache &cache, archive::TArchiverBinding &binding, const CachedWalk &walk,
               const PackScope &scope, archive::TEntryWalker &walker, std::string *message)
{
    TempPack pack = cache.BeginPack();
    if (!pack)
        return binding.WalkEntries(walk.archivePath, walk.wildcards, walk.mode, walker, message);
    PackRecorder recorder(walker, pack.Fd(), scope, EntrySizeLimitHere(), cache.PackLimit());
    std::string said;
    const int result = binding.WalkEntries(walk.archivePath, walk.wildcards, walk.mode, recorder, &said);
    if (message)
        *message = said;
    // The archive must still be the one the walk began on.
    if (Lasting(result) && IdentityOf(walk.archivePath) == scope.archive) {
        if (recorder.Finish(result, said))
            cache.Publish(pack, cache.PackPath(scope.archive));
        else if (recorder.WriteError() != 0)
            cache.NoteWriteFailure(recorder.WriteError());
    }
    return result;
}

}  // namespace

std::uint64_t EntrySizeLimitHere()
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_FSIZE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return UINT64_MAX;
    return limit.rlim_cur;
}

int WalkThroughCache(ContentCache *cache, archive::TArchiverBinding &binding, const CachedWalk &walk,
                     archive::TEntryWalker &walker, std::string *message)
{
    const std::optional<ArchiveIdentity> identity =
        cache && cache->On() ? IdentityOf(walk.archivePath) : std::nullopt;
    if (!identity)
        return binding.WalkEntries(walk.archivePath, walk.wildcards, walk.mode, walker, message);
    const PackScope scope{*identity, static_cast<std::uint32_t>(binding.Type()), walk.mode, walk.wildcards};
    const std::string packPath = cache->PackPath(*identity);
    PackReplay::Verdict verdict;
    if (auto replay = PackReplay::Open(packPath, scope, verdict);
        replay && replay->Covers(walk.listOnly, EntrySizeLimitHere())) {
        cache->Touch(packPath, replay->UsedNs());
        return replay->Replay(walker, message);
    }
    if (verdict == PackReplay::Verdict::kBroken)
        ::unlink(packPath.c_str());
    return RecordWalk(*cache, binding, walk, scope, walker, message);
}

}  // namespace zr::search
