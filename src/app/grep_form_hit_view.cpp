// Viewing a hit: its stored file is extracted into the work folder (in a
// worker process, so a hostile archive cannot take the window with it) and
// opened in the text viewer at the hit's line.

#include "app/grep_form.h"
#include "app/grep_status_bar.h"
#include "app/hit_models.h"
#include "app/viewer_command.h"
#include "documents/document_detection.h"
#include "platform/process_launch.h"
#include "search/view_extraction.h"
#include "search/work_folder.h"
#include "search/worker_archive_search.h"
#include "util/message_box.h"

#include <QApplication>
#include <QEventLoop>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenuBar>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>

#include <atomic>
#include <thread>

namespace zr {

namespace {

constexpr const char *kNotFoundText = "未発見";
constexpr const char *kExtractFailedText = "解凍に失敗しました";

}  // namespace

void TGrepForm::SetViewBusy(bool busy)
{
    busy_ = busy;
    // Nothing else may start meanwhile; Esc (the stop question) stays live.
    menuBar()->setEnabled(!busy);
    toolBar_->setEnabled(!busy);
    centralWidget()->setEnabled(!busy);
    if (busy) {
        statusBar_->BeginRun("解凍中 ...   ", "", '/');
        QApplication::setOverrideCursor(Qt::WaitCursor);
        return;
    }
    statusBar_->EndRun();
    if (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    // The stop question may have restarted the run animation.
    if (runState_ != TRunState::rsSearching) {
        animation_->stop();
        lblAnimation_->clear();
    }
}

void TGrepForm::ViewSelectedHit()
{
    if (busy_ || runState_ != TRunState::rsFinished)
        return;
    const QModelIndex node = tree_->currentIndex();
    if (!node.isValid() || treeModel_->IsRoot(node) || listModel_->Mode() != TResultListMode::rlArchive)
        return;
    const QModelIndexList rows = list_->selectionModel()->selectedRows();
    if (rows.size() != 1)
        return;
    const search::THitRecord hit = listModel_->Record(rows.front().row());
    if (documents::DocumentKindByName(hit.ArchivePath) != documents::DocumentKind::None) {
        // A document in the folder is its own file: nothing to extract.
        LaunchViewer(DocumentViewerCommandLine(hit.ArchivePath));
        return;
    }

    const search::RunSettings settings = search::RunSettings::FromRegistry();
    std::string workFolder = workFolder_;
    if (workFolder.empty()) {
        try {
            workFolder = workFolder_ = search::GetWorkFolder(settings);
        } catch (const std::exception &e) {
            ShowMessageBox(this, e.what(), mtError, mbOKOnly);
            return;
        }
    }
    const std::string program =
        hitHooks_.viewWorkerProgram.empty() ? search::DefaultWorkerProgram() : hitHooks_.viewWorkerProgram;

    SetViewBusy(true);
    search::ViewExtractResult result;
    {
        std::stop_source stop;
        std::atomic<bool> done = false;
        std::jthread extraction([&] {
            if (program.empty())
                result = search::ExtractForView(hit.ArchivePath, hit.StoredName, workFolder, settings,
                                                stop.get_token(), hit.Via);
            else
                result = search::ExtractForViewInWorker(hit.ArchivePath, hit.StoredName, workFolder, settings,
                                                        program, search::worker::ReadWorkerLimits(workFolder),
                                                        stop.get_token(), hit.Via);
            done = true;
        });
        QEventLoop loop;
        QTimer poll;
        poll.setInterval(20);
        connect(&poll, &QTimer::timeout, &loop, [&] {
            if (!busy_)
                stop.request_stop();  // the stop question was answered Yes
            if (done)
                loop.quit();
        });
        poll.start();
        loop.exec();
        // The loop also ends when the application quits.
        if (!done)
            stop.request_stop();
    }
    SetViewBusy(false);

    switch (result.status) {
    case search::ViewExtractStatus::NotAnArchive:
        return;
    case search::ViewExtractStatus::NotFound:
        ShowPlainMessage(this, kNotFoundText);
        return;
    case search::ViewExtractStatus::Stopped:
        if (!isVisible())
            return;  // closed meanwhile
        [[fallthrough]];
    case search::ViewExtractStatus::Failed:
        ShowPlainMessage(this, kExtractFailedText);
        return;
    case search::ViewExtractStatus::Extracted:
        break;
    }
    QApplication::processEvents();
    // A stored document opens in its own application; no text editor can
    // show its cells or slides.
    if (!hit.Location.empty()) {
        LaunchViewer(DocumentViewerCommandLine(result.file));
        return;
    }
    const std::string viewer = ViewerProgram(TViewerSettings::FromRegistry());
    LaunchViewer(ViewerCommandLine(viewer, result.file, hit.LineNo));
}

void TGrepForm::LaunchViewer(const std::string &commandLine)
{
    const platform::LaunchResult started = platform::StartCommandLineDetached(commandLine);
    if (!started.ok)
        ShowMessageBox(this, "ビューアを起動できません。\r\n" + started.error, mtError, mbOKOnly);
}

}  // namespace zr
