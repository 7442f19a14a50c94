// Condition files and archive-set files from the file menu: the dialogs, and
// what a chosen file does to the conditions.

#include "app/file_dialog_qt.h"
#include "app/grep_form.h"
#include "search/archive_set_file.h"
#include "search/condition_file.h"
#include "search/hit_export.h"
#include "util/message_box.h"

#include <QApplication>
#include <exception>

namespace zr {

void TGrepForm::SetUpFileDialogs()
{
    if (!dialogs_.pickFile)
        dialogs_.pickFile = RunFileDialog;
}

void TGrepForm::LoadConditionFile(const std::string &path)
{
    const search::ConditionFileResult result = search::ReadConditionFile(path, Conditions());
    if (result.status == search::ConditionFileStatus::TooLarge ||
        result.status == search::ConditionFileStatus::TextTooLong) {
        ShowMessageBox(this, path + " を読み込めません。" + search::ConditionFileProblem(result.status),
                       mtError, mbOKOnly);
        return;
    }
    if (!result.Ok())
        return;  // not text, or not a condition file: ignored without a word
    SetConditions(result.conditions);
}

void TGrepForm::OnOpenParam()
{
    if (runState_ == TRunState::rsSearching)
        return;
    const auto file = dialogs_.pickFile(this, ConditionOpenRequest());
    if (file)
        LoadConditionFile(*file);
}

void TGrepForm::OnSaveParam()
{
    if (runState_ == TRunState::rsSearching)
        return;
    const search::SearchConditions conditions = Conditions();
    const auto file = dialogs_.pickFile(this, ConditionSaveRequest(conditions.searchText));
    if (!file)
        return;
    try {
        search::WriteConditionFile(*file, conditions);
    } catch (const std::exception &e) {
        ShowMessageBox(this, e.what(), mtError, mbOKOnly);
    }
}

void TGrepForm::OnSaveAs()
{
    if (runState_ != TRunState::rsFinished || hits_.Empty())
        return;
    const auto file = dialogs_.pickFile(this, ArchiveSetSaveRequest(Conditions().searchText));
    if (!file)
        return;
    try {
        search::WriteArchiveSetFile(*file, hits_);
    } catch (const std::exception &e) {
        ShowMessageBox(this, e.what(), mtError, mbOKOnly);
    }
}

void TGrepForm::OnSaveHits()
{
    if (runState_ != TRunState::rsFinished || hits_.Empty())
        return;
    const auto file = dialogs_.pickFile(this, HitExportSaveRequest());
    if (!file)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        search::WriteHitExportFile(*file, hits_);
        QApplication::restoreOverrideCursor();
    } catch (const std::exception &e) {
        QApplication::restoreOverrideCursor();
        ShowMessageBox(this, e.what(), mtError, mbOKOnly);
    }
}

}  // namespace zr
