#include "app/help_window.h"

#include "platform/program_folder.h"

#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSplitter>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace zr {

namespace {

constexpr const char *kHelpFileName = "zurivo-help.html";

}  // namespace

std::string HelpFilePath()
{
    const QString folder = QString::fromStdString(platform::ProgramFolder());
    for (const QString &candidate :
         {folder + QLatin1Char('/') + QLatin1String(kHelpFileName),
          folder + QStringLiteral("/../share/zurivo/") + QLatin1String(kHelpFileName)}) {
        if (QFileInfo::exists(candidate))
            return QFileInfo(candidate).absoluteFilePath().toStdString();
    }
    return (folder + QLatin1Char('/') + QLatin1String(kHelpFileName)).toStdString();
}

THelpWindow::THelpWindow(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QString::fromUtf8("ZuRivo ヘルプ"));
    resize(760, 520);
    auto *layout = new QVBoxLayout(this);
    auto *searchRow = new QHBoxLayout;
    search_ = new QLineEdit(this);
    search_->setPlaceholderText(QString::fromUtf8("ヘルプ内を検索"));
    auto *next = new QPushButton(QString::fromUtf8("次を検索(&F)"), this);
    searchRow->addWidget(search_, 1);
    searchRow->addWidget(next);
    layout->addLayout(searchRow);
    auto *splitter = new QSplitter(this);
    contents_ = new QTreeWidget(splitter);
    contents_->setHeaderLabel(QString::fromUtf8("目次"));
    browser_ = new QTextBrowser(splitter);
    browser_->setOpenExternalLinks(false);
    splitter->addWidget(contents_);
    splitter->addWidget(browser_);
    splitter->setSizes({200, 560});
    layout->addWidget(splitter, 1);

    const auto find = [this] { FindText(search_->text()); };
    connect(next, &QPushButton::clicked, this, find);
    connect(search_, &QLineEdit::returnPressed, this, find);
    connect(contents_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *item) {
        const int position = item->data(0, Qt::UserRole).toInt();
        QTextCursor cursor(browser_->document());
        cursor.setPosition(position);
        browser_->setTextCursor(cursor);
        browser_->ensureCursorVisible();
    });
}

bool THelpWindow::Load(const std::string &path)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        browser_->setPlainText(QString::fromUtf8("ヘルプファイルが見つかりません: ") +
                               QString::fromStdString(path));
        contents_->clear();
        return false;
    }
    browser_->setHtml(QString::fromUtf8(file.readAll()));
    BuildContents();
    return true;
}

void THelpWindow::BuildContents()
{
    contents_->clear();
    QTreeWidgetItem *parent = nullptr;
    for (QTextBlock block = browser_->document()->begin(); block.isValid(); block = block.next()) {
        const int level = block.blockFormat().headingLevel();
        if (level < 2 || level > 3 || block.text().trimmed().isEmpty())
            continue;
        auto *item = level == 2 || !parent ? new QTreeWidgetItem(contents_) : new QTreeWidgetItem(parent);
        if (level == 2)
            parent = item;
        item->setText(0, block.text());
        item->setData(0, Qt::UserRole, block.position());
    }
    contents_->expandAll();
}

bool THelpWindow::FindText(const QString &text)
{
    if (text.isEmpty())
        return false;
    if (browser_->find(text))
        return true;
    QTextCursor start(browser_->document());
    browser_->setTextCursor(start);
    return browser_->find(text);
}

void ShowHelpWindow(QWidget *owner)
{
    static QPointer<THelpWindow> window;
    if (!window) {
        window = new THelpWindow(owner);
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->Load(HelpFilePath());
    }
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace zr
