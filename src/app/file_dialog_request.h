#pragma once
// What an open or save dialog shows and asks, as plain data: title, filters,
// default extension, proposed name and options. The condition-file, archive-set
// and archive dialogs are built here; file_dialog_qt.h shows one.

#include <optional>
#include <string>
#include <vector>

namespace zr {

// One entry of a dialog's type list; patterns are ";"-separated wildcards
// matched without case, as on the system the files come from.
struct TFileFilter {
    std::string caption;
    std::string patterns;
    bool operator==(const TFileFilter &) const = default;
};

struct TFileDialogRequest {
    enum class Kind { Open, Save };
    Kind kind = Kind::Open;
    std::string title;
    std::string defaultExtension;      // without the dot; empty: none
    std::string proposedName;          // file name only; empty: none
    std::vector<TFileFilter> filters;  // the first one is selected
    std::string startFolder;           // empty: the last folder of the dialogs' history
    bool fileMustExist = false;
    bool overwritePrompt = false;
    bool operator==(const TFileDialogRequest &) const = default;
};

TFileDialogRequest ConditionOpenRequest();
TFileDialogRequest ConditionSaveRequest(const std::string &searchText);
TFileDialogRequest ArchiveSetSaveRequest(const std::string &searchText);
// Every hit line as CSV (UTF-8 with BOM) or TSV.
TFileDialogRequest HitExportSaveRequest();
// The archive dialog beside the archive-name box; startFolder may be empty.
TFileDialogRequest ArchiveOpenRequest(const std::string &startFolder);

// The extension a typed name without one receives while filter is selected:
// the filter's own when it names exactly one "*.ext", else the default.
std::string ExtensionForFilter(const TFileFilter &filter, const std::string &defaultExtension);

// A wildcard that matches regardless of letter case on a case-sensitive file
// system: "*.ZrSrh" -> "*.[Zz][Rr][Ss][Rr][Hh]"; "*.*" (every file) -> "*".
std::string CaseFreeWildcard(const std::string &pattern);

// The Qt name filter of one entry: caption, then the case-free patterns in
// parentheses (the dialog hides the parenthesised details).
std::string QtNameFilter(const TFileFilter &filter);

}  // namespace zr
