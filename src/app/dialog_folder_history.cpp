#include "app/dialog_folder_history.h"

#include "util/settings_list.h"

#include <exception>

namespace zr {

std::vector<std::string> LoadDialogFolders()
{
    StringList folders;
    try {
        LoadSettingList(kDialogFolderHistoryKey, kSettingListMaximum, &folders);
    } catch (const std::exception &) {
        folders.clear();
    }
    return folders;
}

std::string LastDialogFolder()
{
    const std::vector<std::string> folders = LoadDialogFolders();
    return folders.empty() ? std::string() : folders.front();
}

void RememberDialogFolder(const std::string &folder)
{
    if (folder.empty())
        return;
    StringList folders = LoadDialogFolders();
    PushRecent(folders, folder, kSettingListMaximum);
    try {
        SaveSettingList(kDialogFolderHistoryKey, kSettingListMaximum, folders);
    } catch (const std::exception &) {
        // The store has reported it; the chosen file is still good.
    }
}

}  // namespace zr
