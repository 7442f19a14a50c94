#include "search/condition_file.h"

#include "platform/ini_file.h"
#include "platform/replace_file.h"
#include "util/text_file_check.h"

namespace zr::search {
namespace {

constexpr const char *kCondition = "Condition";
constexpr const char *kOption = "Option";

// The switches in file order, with their defaults; the newer ones come
// last, so files without them load as before and older readers skip them.
struct SwitchField {
    const char *name;
    bool SearchConditions::*field;
    bool defaultValue;
};

constexpr SwitchField kSwitches[] = {
    {"Recurse", &SearchConditions::subFolders, true},
    {"AllType", &SearchConditions::allTypes, true},
    {"LhaType", &SearchConditions::lha, false},
    {"ZipType", &SearchConditions::zip, false},
    {"ArjType", &SearchConditions::arj, false},
    {"CabType", &SearchConditions::cab, false},
    {"TarType", &SearchConditions::tar, false},
    {"RarType", &SearchConditions::rar, false},
    {"SfxType", &SearchConditions::sfx, false},
    {"SevenZipType", &SearchConditions::sevenZip, false},
    {"RegExp", &SearchConditions::regularExpression, true},
    {"Fuzzy", &SearchConditions::fuzzy, true},
};

}  // namespace

void WriteConditionFile(const std::string &path, const SearchConditions &conditions)
{
    // Built whole in memory and swapped in at once: a failed write keeps the
    // old file, and a folder chosen in the file's place survives.
    platform::ProfileDocument file;
    file.Write(kCondition, "Char", conditions.searchText);
    file.Write(kCondition, "File", conditions.archiveName);
    file.Write(kCondition, "Path", conditions.folder);
    file.Write(kCondition, "Item", conditions.storedFiles);
    for (const SwitchField &s : kSwitches)
        file.Write(kOption, s.name, conditions.*s.field ? "1" : "0");
    platform::ReplaceFileContents(path, file.Text());
}

ConditionFileResult ReadConditionFile(const std::string &path, const SearchConditions &current)
{
    ConditionFileResult result;
    result.conditions = current;
    if (!IsTextFile(path)) {
        result.status = ConditionFileStatus::NotText;
        return result;
    }
    const platform::TIniFile file(path);
    if (!file.SectionExists(kCondition) || !file.SectionExists(kOption)) {
        result.status = ConditionFileStatus::MissingSection;
        return result;
    }
    SearchConditions &c = result.conditions;
    c.searchText = file.ReadString(kCondition, "Char", "");
    c.archiveName = file.ReadString(kCondition, "File", "");
    const std::string folder = file.ReadString(kCondition, "Path", "");
    if (!folder.empty())
        c.folder = folder;
    c.storedFiles = file.ReadString(kCondition, "Item", "");
    for (const SwitchField &s : kSwitches)
        c.*s.field = file.ReadBool(kOption, s.name, s.defaultValue);
    return result;
}

}  // namespace zr::search
