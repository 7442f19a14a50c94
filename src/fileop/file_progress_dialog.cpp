#include "fileop/file_progress_dialog.h"

#include "util/path_names.h"

#include <QCoreApplication>
#include <QLabel>

#include <filesystem>

namespace zr {

namespace {

// The bar counts in steps so that byte counts beyond int still fit.
constexpr int kSteps = 1000;

std::string FolderOf(const std::string &path)
{
    return std::filesystem::path(StripPathSeparator(path)).parent_path().string();
}

}  // namespace

TFileProgressDialog::TFileProgressDialog(QWidget *parent, const std::string &title, bool showFileNames)
    : dialog_(new QProgressDialog(parent)), showFileNames_(showFileNames)
{
    // Without a title of its own the window would be named by the toolkit, in English.
    dialog_->setWindowTitle(title.empty() ? QString::fromUtf8("ファイルの操作") : QString::fromStdString(title));
    dialog_->setCancelButtonText(QStringLiteral("キャンセル"));
    auto *label = new QLabel(dialog_);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label->setTextFormat(Qt::PlainText);
    dialog_->setLabel(label);
    dialog_->setRange(0, kSteps);
    dialog_->setWindowModality(Qt::WindowModal);
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    dialog_->setMinimumDuration(500);
    dialog_->setMinimumWidth(460);
    clock_.start();
}

TFileProgressDialog::~TFileProgressDialog() { delete dialog_.data(); }

void TFileProgressDialog::Describe(TFileOperation operation, int totalFiles)
{
    snapshot_.operation = operation;
    snapshot_.totalFiles = totalFiles;
}

void TFileProgressDialog::Begin(std::uint64_t totalBytes)
{
    snapshot_.totalBytes = totalBytes;
    snapshot_.doneBytes = 0;
    clock_.restart();
    if (dialog_)
        dialog_->setValue(0);
    ShowText();
}

void TFileProgressDialog::StartFile(const std::string &source, const std::string &target)
{
    ++snapshot_.fileNumber;
    snapshot_.sourceFolder = FolderOf(source);
    snapshot_.destinationFolder = target.empty() ? std::string() : FolderOf(target);
    ShowText();
}

bool TFileProgressDialog::Advance(const std::string &, std::uint64_t done)
{
    if (!dialog_)
        return false;  // its window went away: stop
    snapshot_.doneBytes = done;
    snapshot_.elapsedMs = clock_.elapsed();
    ShowText();
    const std::uint64_t total = snapshot_.totalBytes;
    const int step =
        total == 0 ? kSteps : static_cast<int>(std::min<std::uint64_t>(done, total) * kSteps / total);
    dialog_->setValue(step);  // also lets the window repaint and see the cancel button
    QCoreApplication::processEvents();
    return dialog_ && !dialog_->wasCanceled();
}

void TFileProgressDialog::ShowText()
{
    if (!dialog_)
        return;
    TProgressSnapshot shown = snapshot_;
    if (!showFileNames_) {
        shown.sourceFolder.clear();
        shown.destinationFolder.clear();
    }
    dialog_->setLabelText(QString::fromStdString(ProgressLabelText(shown)));
}

QWidget *TFileProgressDialog::QuestionOwner()
{
    if (dialog_ && !dialog_->isVisible())
        dialog_->show();
    return dialog_.data();
}

void TFileProgressDialog::End()
{
    if (dialog_)
        dialog_->hide();
}

}  // namespace zr
