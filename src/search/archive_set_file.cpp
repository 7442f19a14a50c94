#include "search/archive_set_file.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <stdexcept>

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
    const std::string text = ArchiveSetText(hits);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (out)
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (out)
        out.close();
    if (!out) {
        const int error = errno;
        throw std::runtime_error(path + ": " + std::strerror(error));
    }
}

}  // namespace zr::search
