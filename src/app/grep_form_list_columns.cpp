// The result list's columns: widths that fit the names after each run and
// stay as the user sets them while other archives are chosen, the last
// column taking the rest; header clicks sort.

#include "app/grep_form.h"
#include "app/hit_models.h"
#include "app/list_sort_cycle.h"

#include <QHeaderView>
#include <QStyle>
#include <QTreeView>
#include <algorithm>

namespace zr {

namespace {

int ModeSlot(TResultListMode mode) { return mode == TResultListMode::rlRoot ? 0 : 1; }

}  // namespace

void TGrepForm::SetUpListColumns()
{
    QHeaderView *header = list_->header();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(false);
    header->setStretchLastSection(true);
    connect(header, &QHeaderView::sectionClicked, this, [this](int column) { ListHeaderClicked(column); });
    connect(header, &QHeaderView::sectionResized, this, [this](int column, int, int size) {
        std::vector<int> &widths = listWidths_[ModeSlot(listModel_->Mode())];
        const int last = listModel_->columnCount() - 1;
        if (applyingWidths_ || column >= last || widths.empty())
            return;  // the last column only takes the rest
        widths[static_cast<std::size_t>(column)] = size;
        if (column == 0 && listModel_->Mode() == TResultListMode::rlArchive)
            namesSizedByHand_ = true;
    });
}

void TGrepForm::ListHeaderClicked(int column)
{
    listModel_->Sort(NextListSort(listModel_->CurrentSort(), column));
    ShowSortIndicator();
    ShowSelectionCount();
}

void TGrepForm::ShowSortIndicator()
{
    const TListSort sort = listModel_->CurrentSort();
    QHeaderView *header = list_->header();
    header->setSortIndicatorShown(!sort.RunOrder());
    if (!sort.RunOrder())
        header->setSortIndicator(sort.column, sort.order);
}

void TGrepForm::KeepListWidths()
{
    std::vector<int> &widths = listWidths_[ModeSlot(listModel_->Mode())];
    if (widths.empty())
        return;
    for (int c = 0; c + 1 < listModel_->columnCount(); ++c)
        widths[static_cast<std::size_t>(c)] = list_->columnWidth(c);
}

void TGrepForm::ApplyListWidths()
{
    std::vector<int> &widths = listWidths_[ModeSlot(listModel_->Mode())];
    if (widths.empty() && listModel_->rowCount() > 0 && runState_ != TRunState::rsSearching) {
        FitListColumns();
        return;
    }
    applyingWidths_ = true;
    const std::vector<int> designed = listModel_->ColumnWidths();
    for (int c = 0; c + 1 < listModel_->columnCount(); ++c) {
        const auto i = static_cast<std::size_t>(c);
        list_->setColumnWidth(c, i < widths.size() ? widths[i] : designed[i]);
    }
    applyingWidths_ = false;
    KeepStoredNamesWhole();
    KeepLineNumbersWhole();
    ShowSortIndicator();
}

void TGrepForm::KeepStoredNamesWhole()
{
    // Names of an archive chosen later (a nested chain is long) widen the
    // fitted column, up to the fit's limit; a width set by hand stays.
    if (listModel_->Mode() != TResultListMode::rlArchive || namesSizedByHand_)
        return;
    const int widest = std::max(80, list_->viewport()->width() * 3 / 5);
    const int current = list_->columnWidth(0);
    applyingWidths_ = true;
    list_->resizeColumnToContents(0);
    const int width = std::max(current, std::min(widest, list_->columnWidth(0)));
    list_->setColumnWidth(0, width);
    applyingWidths_ = false;
    if (std::vector<int> &widths = listWidths_[ModeSlot(listModel_->Mode())]; !widths.empty())
        widths[0] = width;
}

void TGrepForm::KeepLineNumbersWhole()
{
    // A width remembered from a shorter archive must not cut this one's line numbers.
    if (listModel_->Mode() != TResultListMode::rlArchive)
        return;
    const int needed = LineNumberColumnWidth();
    if (list_->columnWidth(1) < needed)
        list_->setColumnWidth(1, needed);
}

void TGrepForm::FitListColumns()
{
    // The view measures the rows it shows, so this costs the same at a
    // million rows as at ten.
    applyingWidths_ = true;
    const int columns = listModel_->columnCount();
    std::vector<int> &widths = listWidths_[ModeSlot(listModel_->Mode())];
    widths.assign(static_cast<std::size_t>(columns), 0);
    if (listModel_->Mode() == TResultListMode::rlArchive)
        namesSizedByHand_ = false;
    // A very long name still leaves room for the columns after it.
    const int widest = std::max(80, list_->viewport()->width() * 3 / 5);
    for (int c = 0; c + 1 < columns; ++c) {
        list_->resizeColumnToContents(c);
        // Never narrower than the header's caption with room for the sort mark.
        const int caption = list_->header()->sectionSizeHint(c) +
                            list_->style()->pixelMetric(QStyle::PM_HeaderMarkSize, nullptr, list_) + 4;
        const int width = std::min(widest, std::max(list_->columnWidth(c), caption));
        list_->setColumnWidth(c, width);
        widths[static_cast<std::size_t>(c)] = width;
    }
    applyingWidths_ = false;
    KeepLineNumbersWhole();
    ShowSortIndicator();
}

}  // namespace zr
