#include "archivers/core/walk_memo.h"

#include "archivers/core/recording_reader.h"
#include "archivers/core/replay_reader.h"

namespace zr::archivers {

namespace {

// A walk that ended normally reads the same whether broken headers are
// tolerated or not; one cut short by a tolerated broken header does not.
bool OptionsMatch(const RememberedWalk &walk, const OpenOptions &options)
{
    return walk.endNote.empty() || walk.tolerantOpen == options.tolerateBrokenHeaders;
}

bool Serves(const RememberedWalk &walk, const EntryNeed &needsData)
{
    if (!needsData)
        return true;
    for (const RememberedEntry &entry : walk.entries)
        if (!entry.dataWhole && needsData(entry.info))
            return false;
    return true;
}

}  // namespace

std::shared_ptr<const RememberedWalk> WalkMemo::find(const std::string &path,
                                                     const OpenOptions &options) const
{
    std::shared_ptr<const RememberedWalk> walk;
    {
        std::lock_guard lock(mutex_);
        walk = walk_;
    }
    if (!walk || walk->path != path || !OptionsMatch(*walk, options))
        return nullptr;
    const auto stamp = StampOf(path);
    if (!stamp || !(*stamp == walk->stamp))
        return nullptr;
    const auto hash = ContentHashOf(path);
    if (!hash || *hash != walk->contentHash)
        return nullptr;
    return walk;
}

void WalkMemo::keep(std::shared_ptr<const RememberedWalk> walk)
{
    std::lock_guard lock(mutex_);
    walk_ = std::move(walk);
}

void WalkMemo::drop()
{
    std::lock_guard lock(mutex_);
    walk_.reset();
}

bool WalkMemo::empty() const
{
    std::lock_guard lock(mutex_);
    return walk_ == nullptr;
}

OpenResult OpenRemembering(WalkMemo &memo, ReaderFactory factory, const std::string &path,
                           const OpenOptions &options, const EntryNeed &needsData)
{
    if (auto walk = memo.find(path, options); walk && Serves(*walk, needsData))
        return {std::make_unique<ReplayReader>(std::move(walk), options), {}};
    // Another archive, or this one changed: the old memo is of no more use.
    memo.drop();
    const auto stamp = StampOf(path);
    OpenResult opened = factory(path, options);
    if (!opened.reader || !stamp)
        return opened;
    opened.reader = std::make_unique<RecordingReader>(std::move(opened.reader), memo, path, *stamp, options);
    return opened;
}

}  // namespace zr::archivers
