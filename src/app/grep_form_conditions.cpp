// The condition boxes: what an edit means, the folder and archive buttons,
// the archive re-open menu and the stored-file filter pop-up.

#include "app/file_dialog_qt.h"
#include "app/filter_table.h"
#include "app/grep_form.h"
#include "app/options_panel.h"
#include "app/pattern_combo_box.h"
#include "history/history_menu.h"
#include "search/search_conditions.h"
#include "util/message_box.h"
#include "util/path_names.h"
#include "util/settings_store.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <QToolButton>

namespace zr {

namespace {

constexpr const char *kArchiveHistoryKey = "Software\\Quib\\ZiZiv\\history\\Grep\\ArchiveFile";

bool IsEmptyOrAll(const std::string &text) { return text.empty() || text == "*.*"; }

std::optional<std::string> DefaultFolderPicker(QWidget *owner, const std::string &caption,
                                               const std::string &prompt, const std::string &start)
{
    QFileDialog dialog(owner, QString::fromStdString(caption), QString::fromStdString(start));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setLabelText(QFileDialog::FileName, QString::fromStdString(prompt));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

}  // namespace

void TGrepForm::ConnectConditionEdits()
{
    dialogs_.pickFolder = DefaultFolderPicker;
    dialogs_.pickArchive = [](QWidget *owner, const std::string &start) {
        return RunFileDialog(owner, ArchiveOpenRequest(start));
    };
    SetUpFileDialogs();
    SetUpFilterTable();
    // The folder box is editable too: typing a folder is an edit like a choice from its list.
    for (QComboBox *box : {static_cast<QComboBox *>(hisChar_), static_cast<QComboBox *>(hisName_),
                           static_cast<QComboBox *>(hisPath_), static_cast<QComboBox *>(hisItem_)})
        connect(box, &QComboBox::editTextChanged, this, [this] { ConditionEdited(); });
    connect(hisPath_, &QComboBox::currentIndexChanged, this, [this] { ConditionEdited(); });
}

// The texts a run used join the fronts of their histories and are stored at
// once, so every search is remembered, not only the last one at closing.
void TGrepForm::RememberUsedTexts()
{
    for (THistoryComboBox *box : {hisChar_, static_cast<THistoryComboBox *>(hisName_), hisPath_,
                                  static_cast<THistoryComboBox *>(hisItem_)}) {
        const QString text = box->currentText();
        // Rearranging a list is no edit of the conditions.
        const QSignalBlocker block(box);
        try {
            box->SaveHistory(false);
        } catch (const std::exception &) {
            // The store has told the user; the run goes on.
        }
        box->setEditText(text);
    }
}

void TGrepForm::ConditionEdited()
{
    if (!editsCount_)
        return;  // loading the histories at the first show is no edit
    SetConditionsChanged(true);
}

void TGrepForm::SetConditionsChanged(bool changed)
{
    conditionsChanged_ = changed;
    UpdateActions();
}

search::SearchConditions TGrepForm::Conditions() const
{
    search::SearchConditions c;
    c.searchText = hisChar_->currentText().toStdString();
    c.archiveName = hisName_->currentText().toStdString();
    // The box is editable: a typed folder counts as chosen.
    c.folder = hisPath_->currentText().trimmed().toStdString();
    c.storedFiles = hisItem_->currentText().toStdString();
    c.subFolders = options_->chbSubDir->isChecked();
    c.allTypes = options_->chbAlltype->isChecked();
    c.lha = options_->chbLha->isChecked();
    c.zip = options_->chbZip->isChecked();
    c.arj = options_->chbArj->isChecked();
    c.cab = options_->chbCab->isChecked();
    c.tar = options_->chbTar->isChecked();
    c.rar = options_->chbRar->isChecked();
    c.sevenZip = options_->chbSevenZip->isChecked();
    c.sfx = options_->chbSfx->isChecked();
    c.documents = options_->chbDocuments->isChecked();
    c.regularExpression = options_->chbRegExp->isChecked();
    c.fuzzy = options_->chbFuzzy->isChecked();
    c.nestedArchives = options_->chbNested->isChecked();
    return c;
}

void TGrepForm::SetConditions(const search::SearchConditions &c)
{
    hisChar_->setEditText(QString::fromStdString(c.searchText));
    hisName_->setEditText(QString::fromStdString(c.archiveName));
    if (!c.folder.empty()) {
        hisPath_->PushText(c.folder);
        hisPath_->setCurrentIndex(0);
    }
    hisItem_->setEditText(QString::fromStdString(c.storedFiles));
    options_->chbSubDir->setChecked(c.subFolders);
    options_->chbAlltype->setChecked(c.allTypes);
    options_->chbLha->setChecked(c.lha);
    options_->chbZip->setChecked(c.zip);
    options_->chbArj->setChecked(c.arj);
    options_->chbCab->setChecked(c.cab);
    options_->chbTar->setChecked(c.tar);
    options_->chbRar->setChecked(c.rar);
    options_->chbSevenZip->setChecked(c.sevenZip);
    options_->chbSfx->setChecked(c.sfx);
    options_->chbDocuments->setChecked(c.documents);
    options_->chbRegExp->setChecked(c.regularExpression);
    options_->chbFuzzy->setChecked(c.fuzzy);
    options_->chbNested->setChecked(c.nestedArchives);
    options_->ApplyTypeSwitchRule();
    SetConditionsChanged(true);
}

std::string TGrepForm::ArchiveNamePatternText() const { return search::ArchiveNamePattern(Conditions()); }

void TGrepForm::ChooseFolder()
{
    const std::string start =
        hisPath_->currentIndex() >= 0 ? hisPath_->currentText().toStdString() : std::string();
    const auto folder = dialogs_.pickFolder(this, "検索する場所", "検索先のフォルダを選択", start);
    if (!folder)
        return;
    hisPath_->PushText(NormalizeFolderPath(*folder));
    hisPath_->setCurrentIndex(0);
    try {
        hisPath_->SaveHistory(true);
    } catch (const std::exception &) {
    }
}

void TGrepForm::ChooseArchive(const std::string &startFolder)
{
    const auto file = dialogs_.pickArchive(this, startFolder);
    if (file)
        UseArchive(*file);
}

void TGrepForm::UseArchive(const std::string &path)
{
    if (reOpen_ && reOpen_->Active()) {
        reOpen_->AddFile(path);
        reOpen_->Save();
    }
    hisName_->setEditText(QString::fromStdString(FileNamePart(path)));
    const std::string folder = QFileInfo(QString::fromStdString(path)).absolutePath().toStdString();
    try {
        hisName_->SaveHistory(false);
        hisPath_->PushText(NormalizeFolderPath(folder));
        hisPath_->setCurrentIndex(0);
        hisPath_->SaveHistory(true);
    } catch (const std::exception &) {
    }
    hisName_->setEditText(QString::fromStdString(FileNamePart(path)));
}

void TGrepForm::CreateReOpenMenu()
{
    reOpen_ = std::make_unique<THistoryMenu>();
    reOpen_->SetKeyName(kArchiveHistoryKey);
    reOpen_->SetPathItem(TPathItem::paBothItem);
    reOpen_->SetBasePath("");
    reOpen_->SetExcludePath(workFolder_);
    reOpen_->SetHistoryNum(std::clamp(ReadSettingInteger("History", "OpenCount", 10), 0, 32));
    reOpen_->SetTargetMenuItem(popReOpen_);
    reOpen_->OnCanDeleted = [this](THistoryMenu *, bool &canDelete) {
        canDelete = ShowMessageBox(this, "履歴メニューを削除してもよろしいですか？", mtConfirmation,
                                   mbYesNo) == mrYes;
    };
    reOpen_->OnHistorySelected = [this](THistoryMenu *, bool isPath, const std::string &fileName, bool &) {
        if (isPath) {
            ChooseArchive(fileName);
            return;
        }
        if (!QFileInfo::exists(QString::fromStdString(fileName))) {
            ShowFileMissing(this, fileName);
            return;
        }
        UseArchive(fileName);
    };
    try {
        reOpen_->SetActive(true);
    } catch (const std::exception &) {
    }
}

void TGrepForm::PrepareReOpenMenu()
{
    // The count may have been changed by the sibling program since.
    reOpen_->SetHistoryNum(std::clamp(ReadSettingInteger("History", "OpenCount", 10), 0, 32));
    reOpen_->RebuildMenu();
    UpdateActions();
}

void TGrepForm::PrepareFilterMenu()
{
    addFilterItem_->setEnabled(!IsEmptyOrAll(hisItem_->currentText().toStdString()));
    const QList<QAction *> items = popFilter_->actions();
    const int first = static_cast<int>(items.indexOf(filterSeparator_)) + 1;
    for (int i = static_cast<int>(items.size()) - 1; i >= first; --i) {
        popFilter_->removeAction(items[i]);
        items[i]->deleteLater();
    }
    const std::vector<std::string> names = LoadFilterTable(kFilterNamesKey, kFilterMasksKey).names;
    for (int i = 0; i < static_cast<int>(names.size()); ++i) {
        const std::string &name = names[static_cast<std::size_t>(i)];
        if (name.empty())
            continue;  // nothing to show; the others keep their indices
        QAction *item = popFilter_->addAction(QString::fromStdString(name));
        item->setData(i);
        connect(item, &QAction::triggered, this, [this, i] { ApplyFilter(i); });
    }
    UpdateActions();
}

void TGrepForm::ApplyFilter(int index)
{
    const std::string mask = ReadSettingString(kFilterMasksKey, std::to_string(index), "");
    if (mask.empty())
        return;
    hisItem_->setEditText(QString::fromStdString(mask));
    try {
        hisItem_->SaveHistory(false);
    } catch (const std::exception &) {
    }
    hisItem_->setEditText(QString::fromStdString(mask));
}

void TGrepForm::SetInputsEnabled(bool enabled)
{
    for (QWidget *w : std::initializer_list<QWidget *>{hisChar_, btnName_, hisName_, hisPath_, btnPath_,
                                                       btnItem_, hisItem_})
        w->setEnabled(enabled);
    options_->SetCaptionEnabled(enabled);
}

bool TGrepForm::InputsEnabled() const
{
    return hisChar_->isEnabled() && hisName_->isEnabled() && hisPath_->isEnabled() && hisItem_->isEnabled() &&
           btnName_->isEnabled() && btnPath_->isEnabled() && btnItem_->isEnabled() &&
           options_->lblOptions->isEnabled();
}

}  // namespace zr
