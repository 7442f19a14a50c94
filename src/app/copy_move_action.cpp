#include "app/copy_move_action.h"

#include "fileop/file_operator.h"
#include "util/file_queries.h"
#include "util/message_box.h"
#include "util/path_names.h"
#include "util/size_format.h"
#include "util/system_queries.h"

namespace zr {

std::string CopyMoveVerb(TCopyMoveKind kind) { return kind == TCopyMoveKind::cmCopy ? "複写" : "移動"; }

TFolderPickerTexts CopyMovePickerTexts(TCopyMoveKind kind, const std::vector<std::string> &archives,
                                       double totalBytes)
{
    TFolderPickerTexts texts;
    texts.caption = CopyMoveVerb(kind) + "先のフォルダを選択";
    texts.line1 = "書庫名：" + (archives.empty() ? std::string() : FileNamePart(archives.front()));
    if (archives.size() > 1)
        texts.line1 += "..." + std::to_string(archives.size()) + " files";
    texts.line2 = "サイズ：" + SizeWithBytesText(true, totalBytes);
    return texts;
}

std::string DriveNotReadyText(const std::string &folder)
{
    return "フォルダ：" + folder + "\r\n" + "ドライブの準備ができていません。";
}

std::string CommaInPathText(const std::string &path)
{
    return "名前に「,」を含むため複写・移動できません。\r\n" + path;
}

std::string SourceCommaList(const std::vector<std::string> &archives)
{
    std::string list;
    for (const std::string &path : archives)
        list += path + ",";
    return list;
}

std::string DestinationCommaList(const std::string &folder) { return NormalizeFolderPath(folder) + ","; }

TCopyMoveDialogs DefaultCopyMoveDialogs(QWidget *owner)
{
    TCopyMoveDialogs d;
    d.driveReady = [](const std::string &folder) { return IsDriveReady(folder); };
    d.askRetry = [owner](const std::string &text) {
        return ShowMessageBox(owner, text, mtError, mbRetryCancel) == mrRetry;
    };
    d.execute = [](TFileOperator &op) { return op.Execute(); };
    d.inform = [owner](const std::string &text) { ShowMessageBox(owner, text, mtInformation, mbOKOnly); };
    d.warn = [owner](const std::string &text) { ShowMessageBox(owner, text, mtWarning, mbOKOnly); };
    return d;
}

bool CheckDriveReady(const std::string &folder, const TCopyMoveDialogs &dialogs)
{
    while (!dialogs.driveReady(folder))
        if (!dialogs.askRetry(DriveNotReadyText(folder)))
            return false;
    return true;
}

bool CopyOrMoveArchives(TCopyMoveKind kind, const std::vector<std::string> &archives,
                        std::optional<std::string> destination, QWidget *parentForm,
                        const TCopyMoveDialogs &dialogs)
{
    if (archives.empty())
        return false;
    for (const std::string &path : archives)
        if (path.find(',') != std::string::npos) {
            dialogs.warn(CommaInPathText(path));
            return false;
        }
    if (!destination) {
        double total = 0;
        for (const std::string &path : archives)
            total += static_cast<double>(FileSizeOf(path));
        destination = dialogs.pickFolder(CopyMovePickerTexts(kind, archives, total));
        if (!destination)
            return false;
    }
    if (destination->find(',') != std::string::npos) {
        dialogs.warn(CommaInPathText(*destination));
        return false;
    }
    if (!CheckDriveReady(*destination, dialogs))
        return false;

    TFileOperator op;
    op.SetParentForm(parentForm);
    op.SetOperation(kind == TCopyMoveKind::cmCopy ? TFileOperation::foCopy : TFileOperation::foMove);
    op.SetProgressTitle("書庫の" + CopyMoveVerb(kind));
    op.SetSource(SourceCommaList(archives));
    op.SetDestination(DestinationCommaList(*destination));
    const bool ok = dialogs.execute(op) && !op.Aborted();
    if (ok)
        dialogs.inform(CopyMoveVerb(kind) + " は完了しました。");
    return ok;
}

}  // namespace zr
