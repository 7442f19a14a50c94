#include "fileop/file_operator.h"

#include "fileop/double_zero_list.h"
#include "fileop/file_progress_dialog.h"
#include "fileop/file_transfer.h"
#include "fileop/progress_texts.h"
#include "util/message_box.h"

namespace zr {

namespace {

TOverwriteAnswer AnswerOf(int modalResult)
{
    switch (modalResult) {
    case mrYes:
        return TOverwriteAnswer::Yes;
    case mrNo:
        return TOverwriteAnswer::No;
    case mrAll:
    case mrYesToAll:
        return TOverwriteAnswer::All;
    default:
        return TOverwriteAnswer::Cancel;
    }
}

}  // namespace

TFileOperator::TFileOperator() { SetFlags(foAllowUndo | foNoConfirmMkDir); }

TFileOperation TFileOperator::Operation() const
{
    return record_.operation == 0 ? TFileOperation::foCopy : static_cast<TFileOperation>(record_.operation);
}

void TFileOperator::SetFlags(TFileOpFlags flags)
{
    record_.flags = static_cast<TFileOpFlags>((record_.flags & ~kFileOpFlagMask) | (flags & kFileOpFlagMask));
}

void TFileOperator::SetWantMappingHandle(bool want)
{
    record_.flags = static_cast<TFileOpFlags>(want ? record_.flags | kWantMappingHandleBit
                                                   : record_.flags & ~kWantMappingHandleBit);
}

void TFileOperator::SetSource(std::string_view commaList) { source_ = CommaListToDoubleZero(commaList); }
void TFileOperator::SetDestination(std::string_view commaList)
{
    destination_ = CommaListToDoubleZero(commaList);
}

bool TFileOperator::SetData(std::span<const std::uint8_t> bytes)
{
    const std::optional<TFileOpRecord> record = TFileOpRecord::Decode(bytes);
    if (!record)
        return false;
    record_.operation = record->operation;
    record_.flags = record->flags;
    return true;
}

// Questions and errors go to message boxes unless the owner has put its own
// in place. They belong to the progress window while there is one: owned by
// the parent form they would sit under the progress window, which blocks
// its parent, and could not be answered.
TFileOpHooks TFileOperator::DialogHooks(TFileProgress *progress) const
{
    TFileOpHooks hooks = hooks_;
    const QPointer<QWidget> form = parentForm_;
    const auto owner = [progress, form]() -> QWidget * {
        QWidget *progressWindow = progress ? progress->QuestionOwner() : nullptr;
        return progressWindow ? progressWindow : form.data();
    };
    if (!hooks.askOverwrite)
        hooks.askOverwrite = [owner](const std::string &source, const std::string &target) {
            const std::string question =
                OverwriteQuestionText(target, FileFactsOf(target), FileFactsOf(source));
            return AnswerOf(
                ShowMessageBox(owner(), question, mtConfirmation, {mbYes, mbNo, mbAll, mbCancel}));
        };
    if (!hooks.confirm)
        hooks.confirm = [owner](const std::string &question) {
            return ShowMessageBox(owner(), question, mtConfirmation, mbYesNo) == mrYes;
        };
    if (!hooks.reportError)
        hooks.reportError = [owner](const std::string &message) {
            ShowMessageBox(owner(), message, mtError, mbOKOnly);
        };
    return hooks;
}

std::unique_ptr<TFileProgress> TFileOperator::MakeProgress() const
{
    if (progressFactory_)
        return progressFactory_(*this);
    if (Flags() & foSilent)
        return nullptr;
    return std::make_unique<TFileProgressDialog>(parentForm_, progressTitle_, !(Flags() & foSimpleProgress));
}

bool TFileOperator::Execute()
{
    record_.aborted = false;
    lastError_.clear();
    if (record_.operation < 1 || record_.operation > 4) {
        lastError_ = "ファイル操作の種類が設定されていません";
        return false;
    }
    const std::unique_ptr<TFileProgress> progress = MakeProgress();
    TFileTransfer transfer(DialogHooks(progress.get()), progress.get(), Flags());
    const TFileOpResult result =
        transfer.Run(Operation(), DoubleZeroToPaths(source_), DoubleZeroToPaths(destination_));
    record_.aborted = result.aborted;
    lastError_ = result.error;
    return result.succeeded;
}

}  // namespace zr
