#include "app/filter_form.h"

#include "util/message_box.h"
#include "util/placement_qt.h"
#include "util/settings_store.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <exception>

namespace zr {
namespace {

constexpr const char *kWidthSection = "Dialog\\Filter";
constexpr int kClientWidth = 451;

// Every keystroke reaches the grid at once, so OK reads what the open editor
// shows even when the editor never lost its focus.
class TImmediateDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override
    {
        QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto *line = qobject_cast<QLineEdit *>(editor))
            connect(line, &QLineEdit::textEdited, this,
                    [this, line] { emit const_cast<TImmediateDelegate *>(this)->commitData(line); });
        return editor;
    }

    // The editor is always open, so Esc would only ever close it; let it
    // reach the dialog and cancel, as it does everywhere else.
    bool eventFilter(QObject *object, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape)
            return false;
        return QStyledItemDelegate::eventFilter(object, event);
    }
};

int StoredWidth(const char *name, int defaultWidth)
{
    try {
        const int width = ReadSettingInteger(kWidthSection, name, defaultWidth);
        return width > 0 ? width : defaultWidth;
    } catch (const std::exception &) {
        return defaultWidth;
    }
}

}  // namespace

TFilterForm::TFilterForm(QWidget *owner, std::string namesKey, std::string masksKey)
    : QDialog(owner), namesKey_(std::move(namesKey)), masksKey_(std::move(masksKey))
{
    setWindowTitle(QString::fromUtf8("格納ファイルのフィルタ設定"));
    BuildWidgets();
    if (owner) {
        int x = pos().x();
        int y = pos().y();
        PlaceNear(pkOffset, owner->window(), this, x, y);
        move(x, y);
    }
    LoadAndFill();
}

TFilterForm::~TFilterForm()
{
    try {
        WriteSettingInteger(kWidthSection, "ColWidth1", grid_->columnWidth(0));
        WriteSettingInteger(kWidthSection, "ColWidth2", grid_->columnWidth(1));
    } catch (const std::exception &) {
        // The widths are a convenience; the store has reported its failure.
    }
}

void TFilterForm::BuildWidgets()
{
    grid_ = new QTableWidget(kFilterMaximum, 2, this);
    grid_->setHorizontalHeaderLabels({QString::fromUtf8("フィルタ名"), QString::fromUtf8("フィルタ")});
    grid_->verticalHeader()->hide();
    // Rows as high as the text and its editor need; the grid shows all ten at once.
    const int rowHeight = grid_->fontMetrics().height() + 8;
    grid_->verticalHeader()->setDefaultSectionSize(rowHeight);
    grid_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    const int gridHeight = grid_->horizontalHeader()->sizeHint().height() + kFilterMaximum * rowHeight +
                           2 * grid_->frameWidth() + grid_->horizontalScrollBar()->sizeHint().height();
    grid_->setGeometry(8, 8, kClientWidth - 16, gridHeight);
    const int noteTop = 8 + gridHeight + 4;
    const int buttonTop = noteTop + 18;
    grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    grid_->horizontalHeader()->setSectionsClickable(false);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    // With every trigger on, a visible grid opens the editor wherever the
    // cursor goes, so the current cell is always in edit.
    grid_->setEditTriggers(QAbstractItemView::AllEditTriggers);
    grid_->setTabKeyNavigation(true);
    grid_->setItemDelegate(new TImmediateDelegate(grid_));
    for (int row = 0; row < kFilterMaximum; ++row)
        for (int column = 0; column < 2; ++column)
            grid_->setItem(row, column, new QTableWidgetItem());

    lblNote_ = new QLabel(QString::fromUtf8("最大 10フィルタまで"), this);
    lblNote_->setGeometry(8, noteTop, kClientWidth - 16, 16);
    lblNote_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    btnDefault_ = new QPushButton(QString::fromUtf8("初期値(&I)"), this);
    btnDefault_->setGeometry(8, buttonTop, 88, 25);
    btnOk_ = new QPushButton(QStringLiteral("&OK"), this);
    btnOk_->setGeometry(kClientWidth - 8 - 88 - 6 - 88, buttonTop, 88, 25);
    btnOk_->setDefault(true);
    btnCancel_ = new QPushButton(QString::fromUtf8("キャンセル(&C)"), this);
    btnCancel_->setGeometry(kClientWidth - 8 - 88, buttonTop, 88, 25);
    setFixedSize(kClientWidth, buttonTop + 25 + 7);
    connect(btnOk_, &QPushButton::clicked, this, &TFilterForm::Ok);
    connect(btnCancel_, &QPushButton::clicked, this, &QDialog::reject);  // Esc does the same
    connect(btnDefault_, &QPushButton::clicked, this, &TFilterForm::RestoreDefaults);
}

void TFilterForm::LoadAndFill()
{
    TFilterTable table;
    try {
        InstallFilterDefaults(namesKey_, masksKey_, false);
        table = LoadFilterTable(namesKey_, masksKey_);
    } catch (const std::exception &e) {
        ShowMessageBox(this, e.what(), mtError, mbOKOnly);
    }
    grid_->setColumnWidth(0, StoredWidth("ColWidth1", kDefaultColWidth1));
    grid_->setColumnWidth(1, StoredWidth("ColWidth2", kDefaultColWidth2));
    FillGrid(table);
}

void TFilterForm::FillGrid(const TFilterTable &table)
{
    const TFilterRows filled = FilterRowsFromTable(table);
    for (int row = 0; row < kFilterMaximum; ++row) {
        const TFilterEntry &entry = filled.rows[static_cast<std::size_t>(row)];
        SetCell(row, 0, entry.name);
        SetCell(row, 1, entry.mask);
    }
    grid_->setCurrentCell(filled.cursorRow, 0);
    EditCurrentCell();
}

void TFilterForm::EditCurrentCell()
{
    // A hidden grid does not follow the cursor by itself; an open editor
    // already shows the refilled text.
    QTableWidgetItem *item = grid_->currentItem();
    if (item && !grid_->indexWidget(grid_->currentIndex()))
        grid_->editItem(item);
}

std::string TFilterForm::Cell(int row, int column) const
{
    const QTableWidgetItem *item = grid_->item(row, column);
    return item ? item->text().toStdString() : std::string();
}

void TFilterForm::SetCell(int row, int column, const std::string &text)
{
    if (QTableWidgetItem *item = grid_->item(row, column))
        item->setText(QString::fromStdString(text));
}

int TFilterForm::CursorRow() const { return grid_->currentRow(); }

int TFilterForm::CursorColumn() const { return grid_->currentColumn(); }

void TFilterForm::Ok()
{
    std::vector<TFilterEntry> rows;
    for (int row = 0; row < kFilterMaximum; ++row)
        rows.push_back({Cell(row, 0), Cell(row, 1)});
    try {
        SaveFilterTable(namesKey_, masksKey_, FilterTableFromRows(rows));
    } catch (const std::exception &e) {
        ShowMessageBox(this, e.what(), mtError, mbOKOnly);
        return;  // the grid stays open with the user's edits
    }
    cancelled_ = false;
    accept();
}

void TFilterForm::RestoreDefaults()
{
    if (ShowMessageBox(this, "フィルタを初期値へ戻してもよろしいですか？", mtConfirmation, mbYesNo) != mrYes)
        return;
    TFilterTable table;
    try {
        InstallFilterDefaults(namesKey_, masksKey_, true);
        table = LoadFilterTable(namesKey_, masksKey_);
    } catch (const std::exception &e) {
        ShowMessageBox(this, e.what(), mtError, mbOKOnly);
        return;
    }
    grid_->setColumnWidth(0, kDefaultColWidth1);
    grid_->setColumnWidth(1, kDefaultColWidth2);
    FillGrid(table);
}

int EditFilterTable(QWidget *owner, const std::string &namesKey, const std::string &masksKey)
{
    TFilterForm form(owner, namesKey, masksKey);
    form.exec();
    return form.Cancelled() ? 2 : 1;
}

}  // namespace zr
