#include "app/file_dialog_request.h"

#include "search/file_names.h"
#include "search/search_conditions.h"

#include <cctype>

namespace zr {
namespace {

const TFileFilter kConditionFiles{"条件ファイル(*.ZrSrh)", "*.ZrSrh"};
const TFileFilter kAllFilesDotted{"すべてのファイル(*.*)", "*.*"};

std::vector<std::string> SplitPatterns(const std::string &patterns)
{
    std::vector<std::string> parts;
    std::string part;
    for (char c : patterns + ";") {
        if (c == ';' || c == ' ') {
            if (!part.empty())
                parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    return parts;
}

}  // namespace

TFileDialogRequest ConditionOpenRequest()
{
    TFileDialogRequest r;
    r.kind = TFileDialogRequest::Kind::Open;
    r.title = "検索条件を開く";
    r.filters = {kConditionFiles, kAllFilesDotted};
    r.fileMustExist = true;
    return r;
}

TFileDialogRequest ConditionSaveRequest(const std::string &searchText)
{
    TFileDialogRequest r;
    r.kind = TFileDialogRequest::Kind::Save;
    r.title = "検索条件を保存";
    r.defaultExtension = "ZrSrh";
    r.proposedName = search::ProposedConditionFileName(searchText);
    r.filters = {kConditionFiles, kAllFilesDotted};
    r.overwritePrompt = true;
    return r;
}

TFileDialogRequest ArchiveSetSaveRequest(const std::string &searchText)
{
    TFileDialogRequest r;
    r.kind = TFileDialogRequest::Kind::Save;
    r.title = "書庫セットを保存";
    r.defaultExtension = "SET";
    r.proposedName = search::ProposedArchiveSetFileName(searchText);
    r.filters = {{"書庫セット(*.ZrSet)", "*.ZrSet"}, {"すべてのファイル", "*.*"}};
    r.overwritePrompt = true;
    return r;
}

TFileDialogRequest HitExportSaveRequest()
{
    TFileDialogRequest r;
    r.kind = TFileDialogRequest::Kind::Save;
    r.title = "ヒット行を保存";
    r.defaultExtension = "csv";
    r.proposedName = "ヒット行.csv";
    r.filters = {{"CSV (カンマ区切り)", "*.csv"}, {"TSV (タブ区切り)", "*.tsv"}};
    r.overwritePrompt = true;
    return r;
}

TFileDialogRequest ArchiveOpenRequest(const std::string &startFolder)
{
    TFileDialogRequest r;
    r.kind = TFileDialogRequest::Kind::Open;
    r.title = "検索する書庫を選択";
    r.filters = {{"すべての書庫 (自己解凍書庫は除く)", search::kAllArchiveTypes},
                 {"すべての書庫", search::kAllArchiveTypesWithSfx},
                 {"すべてのファイル", "*.*"}};
    r.startFolder = startFolder;
    r.fileMustExist = true;
    return r;
}

std::string ExtensionForFilter(const TFileFilter &filter, const std::string &defaultExtension)
{
    const std::vector<std::string> patterns = SplitPatterns(filter.patterns);
    if (patterns.size() != 1 || patterns[0].rfind("*.", 0) != 0)
        return defaultExtension;
    const std::string extension = patterns[0].substr(2);
    if (extension.empty() || extension.find_first_of("*?.") != std::string::npos)
        return defaultExtension;
    return extension;
}

std::string CaseFreeWildcard(const std::string &pattern)
{
    if (pattern == "*.*")
        return "*";
    std::string out;
    for (char c : pattern) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (std::isalpha(u) && u < 0x80) {
            out += '[';
            out += static_cast<char>(std::toupper(u));
            out += static_cast<char>(std::tolower(u));
            out += ']';
        } else {
            out += c;
        }
    }
    return out;
}

std::string QtNameFilter(const TFileFilter &filter)
{
    std::string list;
    for (const std::string &pattern : SplitPatterns(filter.patterns)) {
        if (!list.empty())
            list += ' ';
        list += CaseFreeWildcard(pattern);
    }
    return filter.caption + " (" + list + ")";
}

}  // namespace zr
