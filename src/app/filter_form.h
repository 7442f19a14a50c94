#pragma once
// TFilterForm: the dialog in which the user edits the stored-file filter
// table, a grid of ten filters (name, wildcard list) under a header row. The
// rules of filling and reading the grid live in filter_table.h.

#include "app/filter_table.h"

#include <QDialog>
#include <string>

class QLabel;
class QPushButton;
class QTableWidget;

namespace zr {

class TFilterForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDefaultColWidth1 = 128;
    static constexpr int kDefaultColWidth2 = 288;

    // Places itself near owner, fills the grid from the table (installing the
    // defaults into an empty one) and opens the editor on the cursor cell.
    TFilterForm(QWidget *owner, std::string namesKey, std::string masksKey);
    ~TFilterForm() override;  // remembers the column widths

    bool Cancelled() const { return cancelled_; }

    // The grid by filter row (0..9) and column (0 name, 1 mask).
    std::string Cell(int row, int column) const;
    void SetCell(int row, int column, const std::string &text);
    int CursorRow() const;
    int CursorColumn() const;
    QTableWidget *Grid() const { return grid_; }
    QPushButton *OkButton() const { return btnOk_; }
    QPushButton *CancelButton() const { return btnCancel_; }
    QPushButton *DefaultButton() const { return btnDefault_; }
    QLabel *Note() const { return lblNote_; }

public slots:
    void Ok();               // saves the grid and closes
    void RestoreDefaults();  // asks, then writes the defaults at once

private:
    void BuildWidgets();
    void LoadAndFill();
    void FillGrid(const TFilterTable &table);
    void EditCurrentCell();

    std::string namesKey_;
    std::string masksKey_;
    bool cancelled_ = true;
    QTableWidget *grid_ = nullptr;
    QLabel *lblNote_ = nullptr;
    QPushButton *btnOk_ = nullptr;
    QPushButton *btnCancel_ = nullptr;
    QPushButton *btnDefault_ = nullptr;
};

// Shows the dialog modally: 1 when the user pressed OK, 2 otherwise.
int EditFilterTable(QWidget *owner, const std::string &namesKey, const std::string &masksKey);

}  // namespace zr
