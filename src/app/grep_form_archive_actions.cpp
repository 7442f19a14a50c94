// The actions on the found archives: handing them to ZiZiv, copying or
// moving them into a folder; and the settings dialog.

#include "app/grep_form.h"
#include "app/hit_models.h"
#include "app/selected_archives.h"
#include "app/settings_dialog.h"
#include "app/zizv_launch.h"
#include "platform/process_launch.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QGridLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QTreeView>

namespace zr {

std::optional<std::string> DefaultCopyFolderPicker(QWidget *owner, const TFolderPickerTexts &texts)
{
    QFileDialog dialog(owner, QString::fromStdString(texts.caption));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // The two information lines go below the dialog's own controls.
    if (auto *grid = qobject_cast<QGridLayout *>(dialog.layout())) {
        const int row = grid->rowCount();
        grid->addWidget(new QLabel(QString::fromStdString(texts.line1), &dialog), row, 0, 1, -1);
        grid->addWidget(new QLabel(QString::fromStdString(texts.line2), &dialog), row + 1, 0, 1, -1);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

std::vector<std::string> TGrepForm::SelectedArchivePaths() const
{
    TArchiveSelectionState state;
    const QModelIndex node = tree_->currentIndex();
    if (node.isValid() && treeModel_->IsRoot(node)) {
        state.tree = TTreeSelection::tsRoot;
        if (listModel_->Mode() == TResultListMode::rlRoot) {
            for (int row = 0; row < listModel_->rowCount(); ++row)
                state.listRecords.push_back(listModel_->RecordIndex(row));
            for (const QModelIndex &index : list_->selectionModel()->selectedRows())
                state.selectedRows.push_back(index.row());
        }
    } else if (node.isValid()) {
        if (const auto start = treeModel_->ArchiveStart(node)) {
            state.tree = TTreeSelection::tsArchive;
            state.archiveRecord = *start;
        }
    }
    std::vector<std::string> paths;
    for (const TSelectedArchive &archive : CollectSelectedArchives(state, hits_))
        paths.push_back(archive.path);
    return paths;
}

void TGrepForm::RefreshZiZivHint()
{
    const QString hint = QString::fromStdString(ZiZivActionHint(!FindZiZiv().empty()));
    act_.ActE_OpenZiZiv->setStatusTip(hint);
    act_.ActE_OpenZiZiv->setToolTip(hint);
}

void TGrepForm::OpenSelectedInZiZiv()
{
    if (busy_ || !tree_->currentIndex().isValid() || treeModel_->ArchiveCount() == 0)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::vector<std::string> paths = SelectedArchivePaths();
    // Looked up first, so no list file is left behind for a receiver that is missing.
    const std::string program = FindZiZiv();
    if (!paths.empty() && !program.empty())
        if (const auto listFile = WriteArchiveListFile(paths))
            platform::StartCommandLineDetached(ZiZivCommandLine(program, *listFile));
    QApplication::restoreOverrideCursor();
    RefreshZiZivHint();
}

void TGrepForm::CopyOrMoveSelected(TCopyMoveKind kind)
{
    if (busy_ || runState_ != TRunState::rsFinished)
        return;
    TCopyMoveDialogs dialogs = DefaultCopyMoveDialogs(this);
    dialogs.pickFolder = [this](const TFolderPickerTexts &texts) {
        return hitHooks_.pickCopyFolder ? hitHooks_.pickCopyFolder(this, texts)
                                        : DefaultCopyFolderPicker(this, texts);
    };
    CopyOrMoveArchives(kind, SelectedArchivePaths(), std::nullopt, this, dialogs);
}

void TGrepForm::OnSettings() { ShowSettingsDialog(this, workFolder_); }

}  // namespace zr
