#include "search/unsearched_archives.h"

namespace zr::search {

void UnsearchedArchives::Note(const std::string &path, SkipReason reason, const std::string &storedName)
{
    switch (reason) {
    case SkipReason::PasswordProtected:
        password_.Add(path, storedName);
        break;
    case SkipReason::Damaged:
        damaged_.Add(path, storedName);
        break;
    case SkipReason::ExtractionFailed:
        unextracted_.Add(path, storedName);
        break;
    default:
        break;
    }
}

void UnsearchedArchives::List::Add(const std::string &path, const std::string &storedName)
{
    const auto [at, isNew] = indexOf.try_emplace(path, archives.size());
    if (isNew)
        archives.push_back(UnsearchedArchive{path, {}});
    if (!storedName.empty())
        archives[at->second].storedNames.push_back(storedName);
}

void UnsearchedArchives::MoveInto(RunSummary &summary)
{
    summary.passwordArchives = std::move(password_.archives);
    summary.damagedArchives = std::move(damaged_.archives);
    summary.unextractedArchives = std::move(unextracted_.archives);
}

}  // namespace zr::search
