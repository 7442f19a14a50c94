// The result panel: the header's layout per run state, the archive tree, the
// result list, the count text and the pop-ups over tree and list.

#include "app/grep_form.h"
#include "app/grep_status_bar.h"
#include "app/hit_models.h"
#include "app/result_panel_layout.h"
#include "app/selected_row_count.h"
#include "app/selection_count_text.h"
#include "bigview/bigview.h"

#include <QApplication>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QScrollBar>
#include <QStyle>
#include <QTreeView>

namespace zr {

namespace {

void SetBold(QLabel *label, bool bold)
{
    QFont font = label->font();
    font.setBold(bold);
    label->setFont(font);
}

constexpr int kTitleLeft = 33;
constexpr int kTitleTop = 8;

}  // namespace

void TGrepForm::SetRunState(TRunState state)
{
    if (state == runState_)
        return;
    runState_ = state;
    LayoutResultPanel(state);
}

void TGrepForm::LayoutResultPanel(TRunState state)
{
    const ResultPanelLayout layout = LayoutForState(state, resultView_->LineCount());
    header_->setFixedHeight(ScaledHeight(layout.headerHeight, fontMetrics().lineSpacing()));
    lblTitle_->setText(QString::fromStdString(layout.title));
    SetBold(lblTitle_, layout.titleBold);
    lblTitle_->adjustSize();
    lblTitle_->move(kTitleLeft, kTitleTop);
    lblResult_->setVisible(layout.resultLabelVisible);
    SetBold(lblResult_, layout.resultLabelBold);
    if (layout.clearResults) {
        lblResult_->clear();
        resultView_->Clear();
        ClearResults();
        ShowSelectionCount();
    }
    resultView_->setVisible(layout.resultViewVisible);
    if (layout.resultViewVisible) {
        resultView_->SetBvStyle(TBvStyle());
        resultView_->SetScrollBar(layout.resultViewScrolls ? TBvScrollBars::ssVertical
                                                           : TBvScrollBars::ssNone);
    }
    PlaceResultView();
}

void TGrepForm::PlaceResultView()
{
    if (!header_ || !lblTitle_)
        return;
    const int left = kTitleLeft;
    const int titleBottom = lblTitle_->geometry().bottom() + 1;
    lblResult_->setGeometry(left + lblTitle_->width() + 16, kTitleTop,
                            std::max(0, header_->width() - left - lblTitle_->width() - 26),
                            lblTitle_->height());
    if (runState_ == TRunState::rsIdle) {
        resultView_->setGeometry(left, kTitleTop, ResultViewWidth(header_->width(), left),
                                 kIdleResultViewHeight);
        return;
    }
    resultView_->setGeometry(left, ResultViewTop(titleBottom), ResultViewWidth(header_->width(), left),
                             ResultViewHeight(header_->height(), titleBottom));
    if (runState_ == TRunState::rsFinished)
        FitHeaderToResultView();
}

// Sized to the rows the view wraps its lines into at its width; the header's
// resize places the view again, which then fits.
void TGrepForm::FitHeaderToResultView()
{
    const QFontMetrics metrics(resultView_->font());
    const int rowHeight = std::max(1, metrics.height() + metrics.leading());
    const int designHeight =
        ScaledHeight(LayoutForState(TRunState::rsFinished).headerHeight, fontMetrics().lineSpacing());
    const int titleBottom = lblTitle_->geometry().bottom() + 1;
    const int height = FinishedHeaderHeight(designHeight, ResultViewTop(titleBottom), resultView_->LineCount(),
                                            rowHeight, header_->frameWidth());
    if (height != header_->height())
        header_->setFixedHeight(height);
}

void TGrepForm::ClearResults()
{
    treeModel_->ClearArchives();
    listModel_->ShowArchives(nullptr);
    hits_.Clear();
    lblListHeader_->setText(QString::fromStdString(OpenArchiveHeaderText(TArchiveTreeModel::RootText())));
}

void TGrepForm::SelectTreeRoot()
{
    const QModelIndex root = treeModel_->RootIndex();
    tree_->expand(root);
    tree_->setCurrentIndex(root);
    TreeSelectionChanged();
}

void TGrepForm::TreeSelectionChanged()
{
    const QModelIndex node = tree_->currentIndex();
    if (!node.isValid())
        return;
    FillResultList(node);
    if (treeModel_->IsRoot(node)) {
        lblListHeader_->setText(QString::fromStdString(OpenArchiveHeaderText(TArchiveTreeModel::RootText())));
        lblListHeader_->setToolTip(lblListHeader_->text());
    } else if (const auto start = treeModel_->ArchiveStart(node)) {
        lblListHeader_->setText(QString::fromStdString(OpenArchiveHeaderText(hits_.At(*start).ArchivePath)));
        lblListHeader_->setToolTip(lblListHeader_->text());
    }
    UpdateActions();
}

void TGrepForm::FillResultList(const QModelIndex &node)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    KeepListWidths();
    // The header's sections change with the model: not the user's widths.
    applyingWidths_ = true;
    if (treeModel_->IsRoot(node)) {
        listModel_->ShowArchives(&hits_);
    } else if (const auto start = treeModel_->ArchiveStart(node)) {
        listModel_->ShowArchive(&hits_, *start, act_.ActO_DispLineNo->isChecked());
    } else {
        listModel_->Clear();
    }
    applyingWidths_ = false;
    ApplyListWidths();
    // Another archive starts at its names, whatever the last one was scrolled to.
    list_->horizontalScrollBar()->setValue(0);
    QApplication::restoreOverrideCursor();
    ShowSelectionCount();
}

void TGrepForm::ShowSelectionCount()
{
    const QModelIndex node = tree_->currentIndex();
    const bool archiveNode = node.isValid() && !treeModel_->IsRoot(node);
    const TListRows rows = !archiveNode                ? TListRows::lrArchives
                           : listModel_->LineDisplay() ? TListRows::lrHitLines
                                                       : TListRows::lrStoredFiles;
    statusBar_->SetCountText(SelectionCountText(listModel_->rowCount(), SelectedListRows(), rows));
    UpdateActions();
}

int TGrepForm::SelectedListRows() const
{
    return list_->selectionModel() ? SelectedRowCount(list_->selectionModel()->selection()) : 0;
}

void TGrepForm::SelectAllOrNone()
{
    const int rows = listModel_->rowCount();
    if (rows > 0 && SelectedListRows() == rows)
        list_->selectionModel()->clearSelection();
    else
        SelectAllListRows();
    list_->setFocus();
    ShowSelectionCount();
}

// One range for every row: the selection and its repaint stay as cheap for a
// million rows as for ten.
void TGrepForm::SelectAllListRows()
{
    const int rows = listModel_->rowCount();
    if (rows == 0)
        return;
    const QItemSelection all(listModel_->index(0, 0), listModel_->index(rows - 1, listModel_->columnCount() - 1));
    list_->selectionModel()->select(all, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

int TGrepForm::LineNumberColumnWidth() const
{
    const int largest = listModel_->LargestLineNumber();
    // A document's hits show their place (a cell, a slide, a page) here.
    const QString location = listModel_->LongestLocation();
    if (largest <= 0 && location.isEmpty())
        return 0;
    // The cell's margins on both sides, as the delegate draws them.
    const int margin = 2 * (list_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list_) + 1) + 8;
    const QFontMetrics metrics = list_->fontMetrics();
    return std::max(largest > 0 ? metrics.horizontalAdvance(QString::number(largest)) : 0,
                    metrics.horizontalAdvance(location)) +
           margin;
}

void TGrepForm::ListContextMenu(const QPoint &pos)
{
    QMenu *menu = treeModel_->IsRoot(tree_->currentIndex()) ? popTree_ : popList_;
    menu->popup(list_->viewport()->mapToGlobal(pos));
}

void TGrepForm::TreeContextMenu(const QPoint &pos)
{
    // The node under the click becomes the selection before the menu opens.
    const QModelIndex node = tree_->indexAt(pos);
    if (node.isValid())
        tree_->setCurrentIndex(node);
    popTree_->popup(tree_->viewport()->mapToGlobal(pos));
}

std::string TGrepForm::ResultLabelText() const { return lblResult_->text().toStdString(); }
std::string TGrepForm::TitleText() const { return lblTitle_->text().toStdString(); }
std::string TGrepForm::ListHeaderText() const { return lblListHeader_->text().toStdString(); }

std::vector<std::string> TGrepForm::ResultViewLines() const
{
    std::vector<std::string> lines;
    resultView_->AssignTo(lines);
    return lines;
}

}  // namespace zr
