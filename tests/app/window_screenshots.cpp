// Takes the window's screenshots for docs/screenshots: idle, during a run,
// with results, sorted, the root's list, each menu opened, and every dialog a
// menu item opens. Not a test: run it by hand under Xvfb with a window manager
// (the pictures are taken from the screen, so they show the window titles) with
//   window_screenshots <output folder> <folder to search> <search text> [archive pattern]
// and a scratch registry in $ZURIVO_REGISTRY; scripts/screenshots.sh does all that.

#include "app/grep_form.h"
#include "app/hit_models.h"
#include "app/options_panel.h"
#include "app/pattern_combo_box.h"
#include "app/qt_translations.h"
#include "util/message_box.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QTreeView>
#include <cstdio>
#include <functional>
#include <memory>

namespace {

void Pump(int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

// The part of the screen that shows the window and whatever is open over it,
// frames and titles included.
void Save(QWidget &window, const QString &file)
{
    QRect area = window.frameGeometry();
    for (QWidget *top : QApplication::topLevelWidgets())
        if (top->isVisible() && top != &window)
            area |= top->frameGeometry();
    QScreen *screen = QGuiApplication::primaryScreen();
    area &= screen->geometry();
    screen->grabWindow(0, area.x(), area.y(), area.width(), area.height()).save(file);
    std::printf("%s\n", file.toLocal8Bit().constData());
}

// A message box without an escape button ignores close(): it is answered No.
void CloseModal()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (auto *box = qobject_cast<QMessageBox *>(modal))
        box->done(QMessageBox::No);
    else if (auto *dialog = qobject_cast<QDialog *>(modal))
        dialog->reject();
    else if (modal)
        modal->close();
    // A dialog the window manager has not activated yet is no active modal widget.
    for (QWidget *top : QApplication::topLevelWidgets())
        if (auto *dialog = qobject_cast<QDialog *>(top); dialog && dialog->isVisible() && dialog->isModal())
            dialog->reject();
}

// The modal window open over the others, once the window manager shows it.
QWidget *OpenModal()
{
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal;
    for (QWidget *top : QApplication::topLevelWidgets())
        if (auto *dialog = qobject_cast<QDialog *>(top); dialog && dialog->isVisible() && dialog->isModal())
            return dialog;
    return nullptr;
}

// Runs an action that opens a modal window, takes the picture once it has
// shown for a moment (a loaded machine may take seconds to open a file
// dialog) and closes it again; an action that opens nothing is reported.
void SaveModal(QWidget &window, const std::function<void()> &open, const QString &file)
{
    auto *poll = new QTimer(&window);
    auto shownFor = std::make_shared<int>(0);
    auto waited = std::make_shared<int>(0);
    auto done = std::make_shared<bool>(false);
    QObject::connect(poll, &QTimer::timeout, &window, [&window, file, poll, shownFor, waited, done] {
        *waited += 100;
        if (OpenModal())
            *shownFor += 100;
        if (*shownFor < 700 && *waited < 10000)
            return;
        poll->stop();
        poll->deleteLater();
        *done = true;
        if (*shownFor == 0) {
            std::printf("no window opened for %s\n", file.toLocal8Bit().constData());
            return;
        }
        Save(window, file);
        CloseModal();
    });
    poll->start(100);
    open();
    // An action that returned without a modal loop: wait for the poll to end.
    while (!*done)
        Pump(100);
    Pump(200);
}

void SaveModal(QWidget &window, QAction *action, const QString &file)
{
    if (!action->isEnabled())
        std::printf("%s: the action is disabled\n", file.toLocal8Bit().constData());
    SaveModal(window, [action] { action->trigger(); }, file);
}

void SaveMenu(QWidget &window, QMenu *menu, const QPoint &at, const QString &file)
{
    menu->popup(at);
    Pump(400);
    Save(window, file);
    menu->close();
    Pump(100);
}

// The first tree node under `parent` whose text holds `part`, at any depth.
QModelIndex FindNode(const QAbstractItemModel &model, const QModelIndex &parent, const QString &part)
{
    for (int r = 0; r < model.rowCount(parent); ++r) {
        const QModelIndex node = model.index(r, 0, parent);
        if (model.data(node).toString().contains(part))
            return node;
        if (const QModelIndex below = FindNode(model, node, part); below.isValid())
            return below;
    }
    return {};
}

void SaveArchiveNamed(zr::TGrepForm &form, const QString &part, const QString &file)
{
    QTreeView *tree = form.ArchiveTree();
    const QModelIndex node = FindNode(*tree->model(), {}, part);
    if (!node.isValid()) {
        std::printf("no archive named like %s\n", part.toLocal8Bit().constData());
        return;
    }
    tree->setCurrentIndex(node);
    Pump(300);
    Save(form, file);
}

}  // namespace

int main(int argc, char *argv[])
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    QApplication app(argc, argv);
    zr::InstallQtJapaneseTranslations(app);
    if (argc < 4) {
        std::fprintf(stderr, "usage: window_screenshots OUTDIR FOLDER TEXT [ARCHIVE-PATTERN]\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    zr::TGrepForm form;
    form.resize(1120, 680);
    form.move(40, 30);
    form.show();
    Pump(600);
    form.Options()->SetOpen(true);
    Pump(100);
    Save(form, out + "/window-idle.png");
    form.Options()->SetOpen(false);

    form.HisChar()->setEditText(QString::fromLocal8Bit(argv[3]));
    if (argc > 4)
        form.HisName()->setEditText(QString::fromLocal8Bit(argv[4]));
    form.HisPath()->PushText(argv[2]);
    form.HisPath()->setCurrentIndex(0);
    form.StartSearch();
    Pump(700);
    Save(form, out + "/window-searching.png");
    form.WaitForRun();
    Pump(300);
    Save(form, out + "/window-finished-root.png");
    // Show the lines of the first archive with hits.
    QTreeView *tree = form.ArchiveTree();
    const QModelIndex first = tree->model()->index(0, 0, tree->model()->index(0, 0));
    if (first.isValid())
        tree->setCurrentIndex(first);
    Pump(300);
    Save(form, out + "/window-results.png");
    // An archive inside an archive, and a workbook: the chain and the cell.
    SaveArchiveNamed(form, "保管2025", out + "/window-nested-hits.png");
    SaveArchiveNamed(form, "見積台帳", out + "/window-document-hits.png");
    if (first.isValid())
        tree->setCurrentIndex(first);
    Pump(200);
    // Sorted by line number, highest first (two clicks on the header).
    form.ResultList()->header()->sectionClicked(1);
    form.ResultList()->header()->sectionClicked(1);
    Pump(200);
    Save(form, out + "/window-results-sorted.png");
    form.ResultList()->header()->sectionClicked(1);  // a third click: back to run order
    // The root's list: folders relative to the searched one.
    form.SelectTreeRoot();
    Pump(200);
    Save(form, out + "/window-results-root.png");
    // Back to the first archive's lines.
    if (first.isValid())
        tree->setCurrentIndex(first);
    Pump(200);

    // Each menu of the menu bar, opened.
    const char *const menuFiles[] = {"menu-file", "menu-edit", "menu-options", "menu-help"};
    const QList<QAction *> headers = form.menuBar()->actions();
    for (int i = 0; i < headers.size() && i < 4; ++i) {
        form.menuBar()->setActiveAction(headers[i]);
        Pump(400);
        Save(form, out + "/" + menuFiles[i] + ".png");
        if (QMenu *menu = headers[i]->menu())
            menu->close();
        Pump(100);
    }
    // The pop-ups of the list and of an edit box.
    QTreeView *list = form.ResultList();
    list->setFocus();
    list->setCurrentIndex(form.ListModel()->index(0, 0));
    const QRect row = list->visualRect(form.ListModel()->index(0, 1));
    SaveMenu(form, form.ListPopup(), list->viewport()->mapToGlobal(row.center()), out + "/popup-list.png");

    // Every menu item that opens a window.
    const zr::TGrepActions &act = form.Actions();
    // Any box nobody planned for (a message) is answered, so the run never hangs.
    QTimer watchdog;
    QObject::connect(&watchdog, &QTimer::timeout, [] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            std::printf("answered: %s\n", box->text().toLocal8Bit().constData());
            CloseModal();
        }
    });
    watchdog.start(3000);
    SaveModal(form, act.ActF_SaveAs, out + "/dialog-save-archive-set.png");
    SaveModal(form, act.ActF_OpenParam, out + "/dialog-open-conditions.png");
    form.SetConditionsChanged(true);
    SaveModal(form, act.ActF_SaveParm, out + "/dialog-save-conditions.png");
    tree->setCurrentIndex(tree->model()->index(0, 0));
    Pump(200);
    SaveModal(form, act.ActE_FileCopy, out + "/dialog-copy-folder.png");
    SaveModal(form, act.ActO_Setting, out + "/settings-dialog.png");
    SaveModal(form, act.ActH_About, out + "/dialog-about.png");
    act.ActH_Topic->trigger();
    Pump(900);
    Save(form, out + "/window-help.png");
    for (QWidget *top : QApplication::topLevelWidgets())
        if (top != &form && top->isVisible())
            top->close();
    Pump(200);

    // Every line of the first archive selected, then its stored files alone.
    if (first.isValid())
        tree->setCurrentIndex(first);
    Pump(200);
    act.ActE_AllSelect->trigger();
    Pump(300);
    Save(form, out + "/window-all-selected.png");
    act.ActO_DispLineNo->trigger();
    Pump(300);
    Save(form, out + "/window-line-display-off.png");
    act.ActO_DispLineNo->trigger();

    // 新しい検索 and its question.
    watchdog.stop();
    SaveModal(form, act.ActF_NewGrep, out + "/question-new-search.png");
    return 0;
}
