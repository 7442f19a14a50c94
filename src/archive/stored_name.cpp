#include "archive/stored_name.h"

#include "util/path_names.h"

namespace zr::archive {

std::size_t FolderPartLength(std::string_view storedName)
{
    return storedName.size() - FileNamePart(storedName).size();
}

std::string StoredFolderPart(std::string_view storedName)
{
    return std::string(storedName.substr(0, FolderPartLength(storedName)));
}

std::string StoredBaseName(std::string_view storedName)
{
    return std::string(storedName.substr(FolderPartLength(storedName)));
}

bool IsStoredFolderName(std::string_view storedName)
{
    return !storedName.empty() && FolderPartLength(storedName) == storedName.size();
}

}  // namespace zr::archive
