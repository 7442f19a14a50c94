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

std::vector<std::string> ParseArchiveList(std::string_view text)
{
    std::vector<std::string> paths;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        if (!line.empty())
            paths.emplace_back(line);
        start = end + 1;
    }
    return paths;
}

}  // namespace zr::search
