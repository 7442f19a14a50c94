#include "history/history_menu.h"

#include "history/history_store.h"
#include "util/dbcs.h"
#include "util/file_queries.h"
#include "util/path_names.h"

#include <QAction>
#include <QMenu>
#include <QTimer>

#include <algorithm>

namespace zr {

THistoryMenu::THistoryMenu() : guard_(std::make_unique<QObject>()) { SetLists(nullptr, nullptr); }

THistoryMenu::~THistoryMenu()
{
    if (active_) {
        try {
            Save();
        } catch (const std::exception &) {
            // A destructor cannot report; the lists stay as last saved.
        }
    }
    RemoveMenuEntries();  // their handlers point at this object
}

void THistoryMenu::SetLists(THistoryList *files, THistoryList *folders)
{
    ownFiles_.reset();
    ownFolders_.reset();
    if (!files)
        ownFiles_ = std::make_unique<THistoryList>();
    if (!folders)
        ownFolders_ = std::make_unique<THistoryList>();
    files_ = files ? files : ownFiles_.get();
    folders_ = folders ? folders : ownFolders_.get();
}

void THistoryMenu::SetHistoryNum(int count)
{
    options_.historyNum = std::clamp(count, 0, THistoryList::kMaxCount);
}

void THistoryMenu::SetTargetMenuItem(QMenu *target)
{
    if (target == target_)
        return;
    if (!target && active_)
        SetActive(false);
    RemoveMenuEntries();
    target_ = target;
    if (active_)
        RebuildMenu();
}

void THistoryMenu::SetActive(bool active)
{
    if (active == active_)
        return;
    if (active) {
        Load();
        if (!target_)
            return;  // nothing to show: stays inactive
        active_ = true;
        RebuildMenu();
    } else {
        active_ = false;
        Save();
        RemoveMenuEntries();
    }
}

void THistoryMenu::Load()
{
    files_->Clear();
    folders_->Clear();
    LoadHistoryList(rootKey_, keyName_, *files_);
    if (KeepsFolders() && !keyName_.empty())
        LoadHistoryList(rootKey_, FolderKeyName(), *folders_);
}

void THistoryMenu::Save() const
{
    SaveHistoryList(rootKey_, keyName_, *files_);
    if (KeepsFolders() && !keyName_.empty())
        SaveHistoryList(rootKey_, FolderKeyName(), *folders_);
}

bool THistoryMenu::IsExcluded(const std::string &path) const
{
    return !excludePath_.empty() && path.size() >= excludePath_.size() &&
           CompareNoCaseAscii(std::string_view(path).substr(0, excludePath_.size()), excludePath_) == 0;
}

void THistoryMenu::AddFile(const std::string &path)
{
    if (path.empty() || IsExcluded(path))
        return;
    files_->Add(path);
    if (!KeepsFolders())
        return;
    const std::size_t cut = path.find_last_of('/');
    const std::string folder = cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
    if (!folder.empty())
        folders_->Add(NormalizeFolderPath(folder));
}

void THistoryMenu::AddFolder(const std::string &path)
{
    if (!KeepsFolders())
        return;
    if (!path.empty() && !IsExcluded(path))
        folders_->Add(path);
    RebuildMenu();
}

void THistoryMenu::ChooseEntry(int tag)
{
    if (!OnHistorySelected)
        return;
    if (tag >= kFolderTagBase) {
        const int index = tag - kFolderTagBase;
        if (index < folders_->Count())
            ChooseFolder(false, (*folders_)[index]);
    } else if (tag >= 0 && tag < files_->Count()) {
        if (pathItem_ == TPathItem::paPathOnly)
            ChooseFolder(true, (*files_)[tag]);
        else
            ChooseFile((*files_)[tag]);
    }
}

void THistoryMenu::ChooseFile(const std::string &entry)
{
    const std::string chosen = entry;  // the handler may change the list
    bool holdAuto = true;
    OnHistorySelected(this, false, chosen, holdAuto);
    if (!holdAuto)
        return;
    if (FileExistsQuiet(chosen))
        AddFile(chosen);  // its folder moves up with it
    else
        files_->Delete(files_->IndexOf(chosen));
}

void THistoryMenu::ChooseFolder(bool fromFileList, const std::string &entry)
{
    const std::string chosen = entry;
    bool holdAuto = true;
    OnHistorySelected(this, true, chosen, holdAuto);
    if (!holdAuto)
        return;
    // Looked up only now: the handler may have handed the menu other lists.
    THistoryList &list = fromFileList ? *files_ : *folders_;
    if (FolderExists(chosen))
        list.Add(chosen);
    else
        list.Delete(list.IndexOf(chosen));
    RebuildMenu();
}

void THistoryMenu::ClearHistory()
{
    bool canDelete = true;
    if (OnCanDeleted)
        OnCanDeleted(this, canDelete);
    if (!canDelete)
        return;
    files_->Clear();
    Save();
    RebuildMenu();
}

void THistoryMenu::RemoveMenuEntries()
{
    if (target_)
        target_->clear();
    delete folderMenu_.data();
}

// A chosen entry rebuilds the menu, which must not delete the action that is
// still delivering its signal: the work runs once the menu has finished.
void THistoryMenu::Later(std::function<void()> work) { QTimer::singleShot(0, guard_.get(), std::move(work)); }

QIcon THistoryMenu::ImageAt(int index) const
{
    return index >= 0 && index < static_cast<int>(images_.size()) ? images_[static_cast<std::size_t>(index)]
                                                                  : QIcon();
}

void THistoryMenu::RebuildMenu()
{
    if (!target_)
        return;
    RemoveMenuEntries();
    const THistoryMenuLayout layout =
        BuildHistoryMenuLayout(*files_, KeepsFolders() ? folders_ : nullptr, options_);
    target_->setEnabled(layout.enabled);
    target_->menuAction()->setEnabled(layout.enabled);
    FillMenu(*target_, layout.items);
}

void THistoryMenu::FillMenu(QMenu &menu, const std::vector<THistoryMenuItem> &items)
{
    for (const THistoryMenuItem &item : items) {
        const QString caption = QString::fromStdString(item.caption);
        switch (item.kind) {
        case THistoryMenuItemKind::Separator:
            menu.addSeparator();
            break;
        case THistoryMenuItemKind::FolderMenu: {
            folderMenu_ = new QMenu(caption, &menu);
            folderMenu_->setIcon(ImageAt(item.imageIndex));
            menu.addMenu(folderMenu_);
            FillMenu(*folderMenu_, item.children);
            break;
        }
        case THistoryMenuItemKind::ClearCommand:
            QObject::connect(menu.addAction(ImageAt(item.imageIndex), caption), &QAction::triggered,
                             [this] { Later([this] { ClearHistory(); }); });
            break;
        case THistoryMenuItemKind::Entry: {
            QAction *action = menu.addAction(caption);
            action->setData(item.tag);
            const int tag = item.tag;
            QObject::connect(action, &QAction::triggered,
                             [this, tag] { Later([this, tag] { ChooseEntry(tag); }); });
            break;
        }
        }
    }
}

}  // namespace zr
