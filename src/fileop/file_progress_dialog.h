#pragma once
// The progress window of a file operation: a bar over all bytes, the file at
// hand (unless simple progress is asked for) and a cancel button.

#include "fileop/file_progress.h"

#include <QPointer>
#include <QProgressDialog>

#include <memory>

namespace zr {

class TFileProgressDialog : public TFileProgress {
public:
    TFileProgressDialog(QWidget *parent, const std::string &title, bool showFileNames);
    ~TFileProgressDialog() override;

    void Begin(std::uint64_t totalBytes) override;
    bool Advance(const std::string &currentFile, std::uint64_t done) override;
    void End() override;

    QProgressDialog *Dialog() const { return dialog_.data(); }

private:
    // The parent may delete the dialog first (it is its child), so it is
    // watched rather than owned outright.
    QPointer<QProgressDialog> dialog_;
    bool showFileNames_;
    std::uint64_t total_ = 0;
};

}  // namespace zr
