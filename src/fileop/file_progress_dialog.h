#pragma once
// The progress window of a file operation: what is done ("コピーしています..."),
// from which folder to which, the file count, the bytes done of the total,
// the time remaining, a bar over all bytes and a cancel button.

#include "fileop/file_progress.h"
#include "fileop/progress_texts.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QProgressDialog>

#include <memory>

namespace zr {

class TFileProgressDialog : public TFileProgress {
public:
    // showFileNames false is the simple progress: no folders, no count.
    TFileProgressDialog(QWidget *parent, const std::string &title, bool showFileNames);
    ~TFileProgressDialog() override;

    void Describe(TFileOperation operation, int totalFiles) override;
    void Begin(std::uint64_t totalBytes) override;
    void StartFile(const std::string &source, const std::string &target) override;
    bool Advance(const std::string &currentFile, std::uint64_t done) override;
    void End() override;
    // Shows the window at once if its delay has not run out, so that it
    // cannot pop up over the question later and take the keyboard.
    QWidget *QuestionOwner() override;

    QProgressDialog *Dialog() const { return dialog_.data(); }
    const TProgressSnapshot &Snapshot() const { return snapshot_; }

private:
    void ShowText();

    // The parent may delete the dialog first (it is its child), so it is
    // watched rather than owned outright.
    QPointer<QProgressDialog> dialog_;
    bool showFileNames_;
    TProgressSnapshot snapshot_;
    QElapsedTimer clock_;
};

}  // namespace zr
