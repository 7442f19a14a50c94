#include "search/validation.h"

#include <vector>

#include "filefind/folder_listing.h"
#include "platform/wildcard.h"
#include "util/file_queries.h"
#include "util/message_texts.h"
#include "util/path_names.h"

namespace zr::search {
namespace {

// The existence test of a name that may hold wildcards: only the folder
// itself is looked at, and only files count.
bool FileMatchesInFolder(const std::string &folder, const std::string &name)
{
    if (name.find_first_of("*?") == std::string::npos)
        return FileExistsQuiet(AppendPathSeparator(folder) + name);
    std::vector<FolderEntry> entries;
    int error = 0;
    if (!ListFolder(folder, entries, error))
        return false;
    for (const FolderEntry &entry : entries)
        if (entry.kind == EntryKind::File && platform::MatchesNamePattern(entry.name, name))
            return true;
    return false;
}

ValidationResult Refuse(ValidationCheck check, std::string message, FocusTarget focus)
{
    ValidationResult result;
    result.check = check;
    result.message = std::move(message);
    result.focus = focus;
    return result;
}

}  // namespace

ValidationResult ValidateConditions(const SearchConditions &conditions)
{
    if (conditions.folder.empty()) {
        ValidationResult result =
            Refuse(ValidationCheck::NoFolder, "検索する場所を指定して下さい。", FocusTarget::Folder);
        result.dropDownFolderList = true;
        return result;
    }
    if (!FolderExists(conditions.folder))
        return Refuse(ValidationCheck::FolderMissing, FolderMissingText(conditions.folder),
                      FocusTarget::Folder);
    if (NamesArchives(conditions.archiveName) &&
        !FileMatchesInFolder(conditions.folder, conditions.archiveName))
        return Refuse(ValidationCheck::ArchiveMissing, FileMissingText(conditions.archiveName),
                      FocusTarget::ArchiveName);
    return {};
}

}  // namespace zr::search
