#include "fileop/file_progress_dialog.h"

#include "util/path_names.h"

#include <QCoreApplication>

namespace zr {

namespace {

// The bar counts in steps so that byte counts beyond int still fit.
constexpr int kSteps = 1000;

}  // namespace

TFileProgressDialog::TFileProgressDialog(QWidget *parent, const std::string &title, bool showFileNames)
    : dialog_(new QProgressDialog(parent)), showFileNames_(showFileNames)
{
    dialog_->setWindowTitle(QString::fromStdString(title));
    dialog_->setCancelButtonText(QStringLiteral("キャンセル"));
    dialog_->setRange(0, kSteps);
    dialog_->setWindowModality(Qt::WindowModal);
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    dialog_->setMinimumDuration(500);
    dialog_->setMinimumWidth(420);
}

TFileProgressDialog::~TFileProgressDialog() { delete dialog_.data(); }

void TFileProgressDialog::Begin(std::uint64_t totalBytes)
{
    total_ = totalBytes;
    if (dialog_) dialog_->setValue(0);
}

bool TFileProgressDialog::Advance(const std::string &currentFile, std::uint64_t done)
{
    if (!dialog_) return false;  // its window went away: stop
    if (showFileNames_) dialog_->setLabelText(QString::fromStdString(FileNamePart(currentFile)));
    const int step = total_ == 0 ? kSteps : static_cast<int>(std::min<std::uint64_t>(done, total_) * kSteps / total_);
    dialog_->setValue(step);  // also lets the window repaint and see the cancel button
    QCoreApplication::processEvents();
    return dialog_ && !dialog_->wasCanceled();
}

void TFileProgressDialog::End()
{
    if (dialog_) dialog_->hide();
}

}  // namespace zr
