#pragma once
// THistoryMenu: a menu section of recently used files (numbered, with
// accelerators), a sub-menu of their folders and a command that clears the
// history, kept in the registry between runs.

#include "history/history_list.h"
#include "history/history_menu_layout.h"
#include "history/root_key.h"

#include <QIcon>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QMenu;

namespace zr {

enum class TPathItem { paFileOnly, paBothItem, paPathOnly };

class THistoryMenu {
public:
    using THistorySelectedEvent =
        std::function<void(THistoryMenu *sender, bool isPath, const std::string &fileName, bool &holdAuto)>;
    using TCanDeletedEvent = std::function<void(THistoryMenu *sender, bool &canDelete)>;

    THistoryMenu();
    ~THistoryMenu();  // an active menu saves its lists
    THistoryMenu(const THistoryMenu &) = delete;
    THistoryMenu &operator=(const THistoryMenu &) = delete;

    // True loads the lists and builds the menu (without a target the lists are
    // loaded and the menu stays inactive); false saves them and removes the entries.
    void SetActive(bool active);
    bool Active() const { return active_; }

    void SetKeyName(std::string key) { keyName_ = std::move(key); }
    const std::string &KeyName() const { return keyName_; }
    void SetRootKey(TRootKey root) { rootKey_ = root; }
    TRootKey RootKey() const { return rootKey_; }
    void SetPathItem(TPathItem mode) { pathItem_ = mode; }
    TPathItem PathItem() const { return pathItem_; }
    void SetHistoryNum(int count);  // 0 .. 32
    int HistoryNum() const { return options_.historyNum; }
    // Removing the target deactivates the menu; a destroyed target is forgotten.
    void SetTargetMenuItem(QMenu *target);
    QMenu *TargetMenuItem() const { return target_; }
    void SetBasePath(std::string path) { options_.basePath = std::move(path); }
    const std::string &BasePath() const { return options_.basePath; }
    void SetExcludePath(std::string path) { excludePath_ = std::move(path); }
    const std::string &ExcludePath() const { return excludePath_; }
    void SetOpenPathImageIndex(int index) { options_.openPathImageIndex = index; }
    void SetDeleteHistoryImageIndex(int index) { options_.deleteHistoryImageIndex = index; }
    void SetImages(std::vector<QIcon> images) { images_ = std::move(images); }

    THistoryList *HisItems() const { return files_; }
    THistoryList *PathItems() const { return folders_; }

    THistorySelectedEvent OnHistorySelected;
    TCanDeletedEvent OnCanDeleted;

    // Uses the owner's lists (the owner keeps them), or own ones for null.
    void SetLists(THistoryList *files, THistoryList *folders);

    void AddFile(const std::string &path);    // the owner rebuilds before showing
    void AddFolder(const std::string &path);  // both-lists mode; rebuilds
    void RebuildMenu();
    void Load();
    void Save() const;

    // What choosing a menu entry (by its tag) and the clear command do.
    void ChooseEntry(int tag);
    void ClearHistory();

private:
    bool KeepsFolders() const { return pathItem_ == TPathItem::paBothItem; }
    bool IsExcluded(const std::string &path) const;
    void ChooseFile(const std::string &entry);
    // fromFileList: the folders-only mode's single list.
    void ChooseFolder(bool fromFileList, const std::string &entry);
    void RemoveMenuEntries();
    void FillMenu(QMenu &menu, const std::vector<THistoryMenuItem> &items);
    QIcon ImageAt(int index) const;
    void Later(std::function<void()> work);
    std::string FolderKeyName() const { return keyName_ + "\\Path"; }

    std::unique_ptr<QObject> guard_;  // cancels pending menu work when this goes
    bool active_ = false;
    std::string keyName_;
    TRootKey rootKey_ = TRootKey::hkCurrentUser;
    TPathItem pathItem_ = TPathItem::paBothItem;
    THistoryMenuOptions options_;
    std::string excludePath_;
    QPointer<QMenu> target_;
    QPointer<QMenu> folderMenu_;
    std::vector<QIcon> images_;
    std::unique_ptr<THistoryList> ownFiles_;
    std::unique_ptr<THistoryList> ownFolders_;
    THistoryList *files_ = nullptr;
    THistoryList *folders_ = nullptr;
};

}  // namespace zr
