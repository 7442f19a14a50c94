#include "app/file_dialog_qt.h"

#include "app/dialog_folder_history.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

namespace zr {
namespace {

QString Utf8(const std::string &text) { return QString::fromStdString(text); }

void SetUpFilters(QFileDialog &dialog, const TFileDialogRequest &request)
{
    QStringList names;
    for (const TFileFilter &filter : request.filters)
        names << Utf8(QtNameFilter(filter));
    dialog.setNameFilters(names);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    if (names.isEmpty())
        return;
    dialog.selectNameFilter(names.first());
    if (request.kind != TFileDialogRequest::Kind::Save)
        return;
    // A typed name without extension gets the selected type's extension.
    const auto suffixFor = [request, names](const QString &selected) {
        const qsizetype index = names.indexOf(selected);
        if (index < 0)
            return Utf8(request.defaultExtension);
        return Utf8(
            ExtensionForFilter(request.filters[static_cast<std::size_t>(index)], request.defaultExtension));
    };
    dialog.setDefaultSuffix(suffixFor(names.first()));
    QObject::connect(
        &dialog, &QFileDialog::filterSelected, &dialog,
        [&dialog, suffixFor](const QString &selected) { dialog.setDefaultSuffix(suffixFor(selected)); });
}

}  // namespace

std::optional<std::string> RunFileDialog(QWidget *owner, const TFileDialogRequest &request)
{
    const std::string start = request.startFolder.empty() ? LastDialogFolder() : request.startFolder;
    QFileDialog dialog(owner, Utf8(request.title));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::ReadOnly);  // no renaming or deleting from inside the dialog
    dialog.setSizeGripEnabled(true);
    if (request.kind == TFileDialogRequest::Kind::Save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.overwritePrompt);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(request.fileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    }
    QStringList history;
    for (const std::string &folder : LoadDialogFolders())
        history << Utf8(folder);
    dialog.setHistory(history);
    if (!start.empty() && QFileInfo(Utf8(start)).isDir())
        dialog.setDirectory(Utf8(start));
    SetUpFilters(dialog, request);
    if (!request.proposedName.empty())
        dialog.selectFile(Utf8(request.proposedName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const QString chosen = QFileInfo(dialog.selectedFiles().first()).absoluteFilePath();
    RememberDialogFolder(QDir::toNativeSeparators(QFileInfo(chosen).absolutePath()).toStdString());
    return chosen.toStdString();
}

}  // namespace zr
