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
    {"DocumentType", &SearchConditions::documents, true},
    {"NestedArchives", &SearchConditions::nestedArchives, true},
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

std::string ConditionFileProblem(ConditionFileStatus status)
{
    switch (status) {
    case ConditionFileStatus::Ok:
        return {};
    case ConditionFileStatus::NotText:
        return "ファイルがないか、読めないか、テキストではありません";
    case ConditionFileStatus::MissingSection:
        return "[Condition] または [Option] セクションがありません";
    case ConditionFileStatus::TooLarge:
        return "ファイルが大きすぎます（" + std::to_string(kMaxConditionFileBytes / 1024) + " KB まで）";
    case ConditionFileStatus::TextTooLong:
        return "検索文字列が長すぎます（" + std::to_string(kMaxConditionTextBytes / 1024) + " KB まで）";
    }
    return {};
}

ConditionFileResult ReadConditionFile(const std::string &path, const SearchConditions &current)
{
    ConditionFileResult result;
    result.conditions = current;
    const auto fail = [&](ConditionFileStatus status) {
        result.status = status;
        return result;
    };
    platform::ProfileFileLoad load = platform::LoadProfileFile(path, kMaxConditionFileBytes);
    if (load.status == platform::ProfileFileLoad::Status::TooLarge)
        return fail(ConditionFileStatus::TooLarge);
    if (load.status != platform::ProfileFileLoad::Status::Ok || !IsTextFile(path))
        return fail(ConditionFileStatus::NotText);
    const platform::ProfileDocument &file = load.document;
    if (!file.SectionExists(kCondition) || !file.SectionExists(kOption))
        return fail(ConditionFileStatus::MissingSection);
    const auto text = [&](const char *section, const char *key) {
        return file.Read(section, key).value_or(std::string());
    };
    SearchConditions &c = result.conditions;
    c.searchText = text(kCondition, "Char");
    if (c.searchText.size() > kMaxConditionTextBytes) {
        result.conditions = current;
        return fail(ConditionFileStatus::TextTooLong);
    }
    c.archiveName = text(kCondition, "File");
    const std::string folder = text(kCondition, "Path");
    if (!folder.empty())
        c.folder = folder;
    c.storedFiles = text(kCondition, "Item");
    for (const SwitchField &s : kSwitches) {
        const std::optional<std::string> value = file.Read(kOption, s.name);
        c.*s.field = value ? platform::ProfileInteger(*value, s.defaultValue ? 1 : 0) != 0 : s.defaultValue;
    }
    return result;
}

}  // namespace zr::search
