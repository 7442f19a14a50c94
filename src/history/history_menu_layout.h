#pragma once
// The entries a history menu shows, worked out without any menu: numbered
// captions aligned in a common field, the folder sub-menu and the clear
// command. The Qt menu only copies this layout.

#include "history/history_list.h"

#include <string>
#include <string_view>
#include <vector>

namespace zr {

inline constexpr int kFolderTagBase = 100;
inline constexpr char kOpenFolderCaption[] = "フォルダで開く(&P)";
inline constexpr char kDeleteHistoryCaption[] = "履歴を削除";

enum class THistoryMenuItemKind { Entry, Separator, FolderMenu, ClearCommand };

struct THistoryMenuItem {
    THistoryMenuItemKind kind = THistoryMenuItemKind::Entry;
    std::string caption;
    int tag = 0;  // entries: the list index, folders 100 + index
    int imageIndex = -1;
    std::vector<THistoryMenuItem> children;  // the folder sub-menu's entries
};

struct THistoryMenuLayout {
    bool enabled = false;
    std::vector<THistoryMenuItem> items;
};

struct THistoryMenuOptions {
    int historyNum = 8;
    std::string basePath;
    int openPathImageIndex = -1;
    int deleteHistoryImageIndex = -1;
};

// The "%*s%s" caption: prefix right-aligned in a field of width, then text.
std::string FormatHistoryCaption(int width, std::string_view prefix, std::string_view text);
// Digits of count - 1 plus 2, so that "&9 " and "&10 " line up; 0 for no entries.
int HistoryFieldWidth(int count);
// entry without a leading basePath (ASCII case ignored), cut to 260 bytes on
// a character boundary; the whole entry when it does not start with basePath.
std::string RelativeToBase(std::string_view entry, std::string_view basePath);

// folders is null unless the menu keeps a folder list.
THistoryMenuLayout BuildHistoryMenuLayout(const THistoryList &files, const THistoryList *folders,
                                          const THistoryMenuOptions &options);

}  // namespace zr
