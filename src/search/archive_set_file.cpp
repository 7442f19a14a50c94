#include "search/archive_set_file.h"

#include "platform/replace_file.h"

namespace zr::search {

std::string ArchiveSetText(const HitList &hits)
{
    std::string text;
    for (const std::string &path : hits.ArchivePaths())
        text += path + "\r\n";
    return text;
}

void WriteArchiveSetFile(const std::string &path, const HitList &hits)
{
    if (hits.Empty())
        return;
    platform::ReplaceFileContents(path, ArchiveSetText(hits));
}

}  // namespace zr::search
