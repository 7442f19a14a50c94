#include "search/search_conditions.h"

#include "regex/scanner.h"
#include "util/text_replace.h"

namespace zr::search {
namespace {

// Blanks and control characters only, as a trim would leave nothing.
bool IsBlank(const std::string &text)
{
    for (unsigned char c : text)
        if (c > ' ')
            return false;
    return true;
}

std::string PatternOfCheckedTypes(const SearchConditions &c)
{
    struct TypeSwitch {
        bool checked;
        const char *pattern;
    };
    const TypeSwitch switches[] = {
        {c.lha, "*.LZH"},          {c.zip, "*.ZIP"}, {c.arj, "*.ARJ"},     {c.cab, "*.CAB"},
        {c.tar, kTarArchiveTypes}, {c.rar, "*.RAR"}, {c.sevenZip, "*.7Z"}, {c.sfx, "*.EXE"},
        {c.documents, kDocumentTypes},
    };
    std::string pattern;
    for (const TypeSwitch &s : switches) {
        if (!s.checked)
            continue;
        if (!pattern.empty())
            pattern += ';';
        pattern += s.pattern;
    }
    return pattern.empty() ? kAllArchiveTypes : pattern;
}

}  // namespace

bool NamesArchives(const std::string &archiveName) { return !archiveName.empty() && archiveName != "*.*"; }

std::string ArchiveNamePattern(const SearchConditions &conditions)
{
    if (NamesArchives(conditions.archiveName))
        return conditions.archiveName;
    if (conditions.allTypes)
        return std::string(conditions.sfx ? kAllArchiveTypesWithSfx : kAllArchiveTypes) + ";" + kDocumentTypes;
    return PatternOfCheckedTypes(conditions);
}

std::string StoredFilePattern(const std::string &storedFiles)
{
    if (IsBlank(storedFiles) || storedFiles == "*.*")
        return "*.*";
    return ReplaceTextAll(storedFiles, ";", " ", rfReplaceAll | rfIgnoreCase);
}

std::string ScannerPattern(const std::string &cp932Text, bool regularExpression)
{
    return regularExpression ? cp932Text : regex::QuoteMeta(cp932Text);
}

bool IsNoTextSearch(const std::string &searchText) { return searchText.empty() || searchText == "*"; }

}  // namespace zr::search
