#pragma once
// The help window: the program's HTML help with its headings as contents and
// a text search.

#include <QDialog>
#include <string>

class QLineEdit;
class QTextBrowser;
class QTreeWidget;

namespace zr {

// The help file shipped beside the program (or in the installed data folder).
std::string HelpFilePath();

class THelpWindow : public QDialog {
    Q_OBJECT
public:
    explicit THelpWindow(QWidget *parent = nullptr);
    bool Load(const std::string &path);
    // Finds text from the cursor on, wrapping once; false when it is absent.
    bool FindText(const QString &text);
    QTreeWidget *Contents() const { return contents_; }
    QTextBrowser *Browser() const { return browser_; }

private:
    void BuildContents();
    QTreeWidget *contents_;
    QTextBrowser *browser_;
    QLineEdit *search_;
};

// Opens (or raises) the one help window of owner.
void ShowHelpWindow(QWidget *owner);

}  // namespace zr
