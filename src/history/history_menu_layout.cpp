#include "history/history_menu_layout.h"

#include "util/dbcs.h"

#include <algorithm>

namespace zr {

namespace {

constexpr std::size_t kMaxShownPath = 260;

int Digits(int value)
{
    int digits = 1;
    for (; value >= 10; value /= 10)
        ++digits;
    return digits;
}

// A '&' in a path would otherwise swallow itself and steal an accelerator
// from the numbers and the clear command.
std::string EscapeAmpersands(std::string_view text)
{
    std::string escaped;
    for (const char c : text) {
        if (c == '&')
            escaped += '&';
        escaped += c;
    }
    return escaped;
}

std::vector<THistoryMenuItem> NumberedEntries(const THistoryList &list, int shown, int tagBase,
                                              std::string_view basePath)
{
    std::vector<THistoryMenuItem> items;
    const int width = HistoryFieldWidth(shown);
    for (int i = 0; i < shown; ++i) {
        THistoryMenuItem item;
        item.caption = FormatHistoryCaption(width, "&" + std::to_string(i) + " ",
                                            EscapeAmpersands(RelativeToBase(list[i], basePath)));
        item.tag = tagBase + i;
        items.push_back(std::move(item));
    }
    return items;
}

THistoryMenuItem Separator()
{
    THistoryMenuItem item;
    item.kind = THistoryMenuItemKind::Separator;
    item.caption = "-";
    return item;
}

}  // namespace

std::string FormatHistoryCaption(int width, std::string_view prefix, std::string_view text)
{
    std::string caption;
    if (width > static_cast<int>(prefix.size()))
        caption.assign(static_cast<std::size_t>(width) - prefix.size(), ' ');
    caption += prefix;
    caption += text;
    return caption;
}

int HistoryFieldWidth(int count) { return count <= 0 ? 0 : Digits(count - 1) + 2; }

std::string RelativeToBase(std::string_view entry, std::string_view basePath)
{
    if (basePath.empty() || entry.size() < basePath.size() ||
        CompareNoCaseAscii(entry.substr(0, basePath.size()), basePath) != 0)
        return std::string(entry);
    return CutOnCharBoundary(entry.substr(basePath.size()), kMaxShownPath);
}

THistoryMenuLayout BuildHistoryMenuLayout(const THistoryList &files, const THistoryList *folders,
                                          const THistoryMenuOptions &options)
{
    THistoryMenuLayout layout;
    const bool noFolders = !folders || folders->Count() == 0;
    if (options.historyNum <= 0 || (files.Count() == 0 && noFolders))
        return layout;
    layout.enabled = true;

    const int shownFiles = std::min(files.Count(), options.historyNum);
    const int width = HistoryFieldWidth(shownFiles);
    layout.items = NumberedEntries(files, shownFiles, 0, options.basePath);

    if (!noFolders) {
        if (shownFiles > 0)
            layout.items.push_back(Separator());
        THistoryMenuItem folderMenu;
        folderMenu.kind = THistoryMenuItemKind::FolderMenu;
        folderMenu.caption = FormatHistoryCaption(width, "", kOpenFolderCaption);
        folderMenu.imageIndex = options.openPathImageIndex;
        folderMenu.children = NumberedEntries(*folders, std::min(folders->Count(), options.historyNum),
                                              kFolderTagBase, options.basePath);
        layout.items.push_back(std::move(folderMenu));
    }
    if (files.Count() > 0) {
        layout.items.push_back(Separator());
        THistoryMenuItem clear;
        clear.kind = THistoryMenuItemKind::ClearCommand;
        clear.caption = FormatHistoryCaption(width, "&D ", kDeleteHistoryCaption);
        clear.imageIndex = options.deleteHistoryImageIndex;
        layout.items.push_back(std::move(clear));
    }
    return layout;
}

}  // namespace zr
