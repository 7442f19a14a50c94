// Starting, stopping and finishing a run. The run itself is the search core's
// SearchRun on a worker thread; its events arrive here in batches.

#include "app/grep_form.h"
#include "app/grep_status_bar.h"
#include "app/hit_line_delegate.h"
#include "app/hit_models.h"
#include "app/options_panel.h"
#include "app/pattern_combo_box.h"
#include "app/run_controller.h"
#include "bigview/bigview.h"
#include "search/search_run.h"
#include "search/validation.h"
#include "search/work_folder.h"
#include "util/message_box.h"
#include "util/path_names.h"

#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <QTreeView>

namespace zr {

void TGrepForm::StartSearch()
{
    if (runState_ == TRunState::rsSearching)
        return;
    // A stopped run may still be winding down: let it finish first.
    if (run_->Running())
        run_->WaitAndDrain();
    const search::SearchConditions conditions = Conditions();
    const search::ValidationResult check = search::ValidateConditions(conditions);
    switch (check.check) {
    case search::ValidationCheck::Ok:
        break;
    case search::ValidationCheck::NoFolder:
        ShowMessageBox(this, "検索する場所を指定して下さい。", mtWarning, mbOKOnly);
        hisPath_->setFocus();
        hisPath_->showPopup();
        return;
    case search::ValidationCheck::FolderMissing:
        ShowFolderMissing(this, conditions.folder);
        hisPath_->setFocus();
        return;
    case search::ValidationCheck::ArchiveMissing:
        ShowFileMissing(this, conditions.archiveName);
        hisName_->setFocus();
        return;
    }
    KeepTypedFolder(conditions.folder);
    RememberUsedTexts();
    EnterRun(conditions);

    search::RunOptions options;
    options.settings = search::RunSettings::FromRegistry();
    options.keepHits = false;  // the window keeps the hits it is sent (hits_)
    try {
        options.workFolder = search::GetWorkFolder(options.settings);
        workFolder_ = options.workFolder;
    } catch (const std::exception &e) {
        search::RunSummary failed;
        failed.errorMessage = e.what();
        FinishRun(failed);
        return;
    }
    if (runJobFactory_) {
        run_->Start(runJobFactory_(conditions, options));
        return;
    }
    run_->Start([conditions, options](std::stop_token stop, search::RunSink &sink) {
        search::SearchRun(conditions, options).Run(sink, stop);
    });
}

// A folder typed into the box joins its history as a chosen one does.
void TGrepForm::KeepTypedFolder(const std::string &folder)
{
    if (hisPath_->currentIndex() >= 0 &&
        hisPath_->itemText(hisPath_->currentIndex()) == hisPath_->currentText())
        return;
    hisPath_->PushText(NormalizeFolderPath(folder));
    hisPath_->setCurrentIndex(0);
}

void TGrepForm::EnterRun(const search::SearchConditions &conditions)
{
    runConditions_ = conditions;
    SetRunState(TRunState::rsSearching);
    UpdateActions();
    options_->SetOpen(false);
    busy_ = true;
    const std::string folder = NormalizeFolderPath(conditions.folder);
    statusBar_->BeginRun("検索中 ...   ", folder, kPathSeparator);
    lblResult_->clear();
    resultView_->Clear();
    progressFeed_.Clear();
    ClearResults();
    // Archives and their hits show as they arrive: the tree and the root's
    // list watch the run's hits from the start.
    treeModel_->SetHits(&hits_);
    tree_->expand(treeModel_->RootIndex());
    tree_->setCurrentIndex(treeModel_->RootIndex());
    listModel_->SetSearchFolder(folder);
    lineDelegate_->SetSpans(search::MatchSpansFor(conditions));
    listModel_->ShowArchives(&hits_);
    // Each run's names get columns that fit them once it ends.
    for (std::vector<int> &widths : listWidths_)
        widths.clear();
    SetInputsEnabled(false);
    QApplication::setOverrideCursor(Qt::BusyCursor);
    animationStep_ = 0;
    animation_->start();
    UpdateActions();
}

void TGrepForm::HandleBatch(RunBatch &batch)
{
    if (batch.archivesFound)
        lblResult_->setText(QString::fromStdString(batch.archivesFound->second));
    if (batch.archiveStarted) {
        const auto &[index, count, path] = *batch.archiveStarted;
        statusBar_->SetGauge(index + 1, count);
        statusBar_->SetFile(path);
    }
    if (!batch.progressLines.empty()) {
        // One append and one repaint per batch, of the latest lines only.
        ProgressFeedStep step = progressFeed_.Add(std::move(batch.progressLines));
        if (step.reset)
            resultView_->Clear();
        resultView_->AddStrings(step.lines);
        resultView_->SetBottomLine(resultView_->LineCount() - 1);
    }
    if (!batch.hits.empty()) {
        for (search::THitRecord &hit : batch.hits)
            hits_.Append(std::move(hit));
        ShowArrivedHits();
    }
    if (batch.finished)
        FinishRun(*batch.finished);
}

void TGrepForm::ShowArrivedHits()
{
    const int treeRows = treeModel_->ArchiveCount();
    const int listRows = listModel_->rowCount();
    treeModel_->AppendHits(&hits_);
    listModel_->AppendHits();
    if (treeRows == 0 && treeModel_->ArchiveCount() > 0)
        tree_->expand(treeModel_->RootIndex());
    if (listModel_->rowCount() != listRows)
        ShowSelectionCount();
}

void TGrepForm::FinishRun(const search::RunSummary &summary)
{
    animation_->stop();
    lblAnimation_->clear();
    if (!summary.Failed()) {
        lblResult_->setText(QString::fromStdString(summary.resultLabel));
        std::vector<std::string> lines = summary.viewLines;
        // The search went on without its cache: said once, under the result.
        if (!summary.cacheNotice.empty())
            lines.push_back("キャッシュを使わずに検索しました (" + summary.cacheNotice + ")");
        resultView_->Assign(lines);
    } else {
        // The archive count of the run's start would stand over a result that never came.
        lblResult_->clear();
    }
    // However the run ended, the window leaves the searching state.
    SetRunState(summary.finalState == TRunState::rsSearching ? TRunState::rsFinished : summary.finalState);
    // Sized for the closing lines, which a stop may have come before.
    LayoutResultPanel(runState_);
    // The tree and list already hold the hits; the root's list is shown
    // afresh, an archive chosen during the run stays.
    if (!hits_.Empty() && treeModel_->IsRoot(tree_->currentIndex()))
        SelectTreeRoot();
    else
        ShowSelectionCount();
    ApplyListWidths();
    LeaveRun();
    UpdateActions();
    if (summary.beep && !summary.Failed())
        QApplication::beep();
    if (summary.Failed())
        ShowMessageBox(this, summary.errorMessage, mtError, mbOKOnly);
}

void TGrepForm::LeaveRun()
{
    busy_ = false;
    statusBar_->EndRun();
    SetInputsEnabled(true);
    if (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

void TGrepForm::StopSearch()
{
    if (!busy_)
        return;
    animation_->stop();
    run_->SetPaused(true);
    QApplication::beep();
    const int answer = ShowMessageBox(this, "ZrSearchを中断しますか？", mtConfirmation, mbYesNo);
    run_->SetPaused(false);
    if (answer != mrYes) {
        if (busy_)
            animation_->start();
        return;
    }
    if (!busy_)
        return;  // the run ended while the question was open
    run_->RequestStop();
    busy_ = false;
    SetRunState(TRunState::rsFinished);
    UpdateActions();
}

void TGrepForm::WaitForRun() { run_->WaitAndDrain(); }

}  // namespace zr
