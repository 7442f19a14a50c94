#pragma once
// The checks that refuse a run before it starts.

#include <string>

#include "search/search_conditions.h"

namespace zr::search {

enum class ValidationCheck { Ok, NoFolder, FolderMissing, ArchiveMissing };
enum class FocusTarget { None, Folder, ArchiveName };

struct ValidationResult {
    ValidationCheck check = ValidationCheck::Ok;
    std::string message;  // the text of the warning box (UTF-8)
    FocusTarget focus = FocusTarget::None;
    bool dropDownFolderList = false;  // the folder box also opens its list
    bool Ok() const { return check == ValidationCheck::Ok; }
};

// No folder, a folder that does not exist, or a named archive that is not in
// the folder itself (wildcards allowed; sub-folders are not looked at, and a
// ";" list counts as one name).
ValidationResult ValidateConditions(const SearchConditions &conditions);

}  // namespace zr::search
