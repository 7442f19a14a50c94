// Takes the window's screenshots for docs/screenshots: idle, during a run and
// with results, sorted, and the root's list. Not a test: run it by hand (under Xvfb) with
//   window_screenshots <output folder> <folder to search> <search text>
// and a scratch registry in $ZURIVO_REGISTRY.

#include "app/grep_form.h"
#include "app/options_panel.h"
#include "app/pattern_combo_box.h"
#include "util/message_box.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QPixmap>
#include <QTreeView>
#include <cstdio>

namespace {

void Pump(int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

void Save(QWidget &window, const QString &file)
{
    window.grab().save(file);
    std::printf("%s\n", file.toLocal8Bit().constData());
}

}  // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: window_screenshots OUTDIR FOLDER TEXT [ARCHIVE-PATTERN]\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    zr::TGrepForm form;
    form.resize(1120, 680);
    form.show();
    Pump(300);
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
    // Show the lines of the first archive with hits.
    QTreeView *tree = form.ArchiveTree();
    const QModelIndex first = tree->model()->index(0, 0, tree->model()->index(0, 0));
    if (first.isValid())
        tree->setCurrentIndex(first);
    Pump(300);
    Save(form, out + "/window-results.png");
    // Sorted by line number, highest first (two clicks on the header).
    form.ResultList()->header()->sectionClicked(1);
    form.ResultList()->header()->sectionClicked(1);
    Pump(200);
    Save(form, out + "/window-results-sorted.png");
    // The root's list: folders relative to the searched one.
    form.SelectTreeRoot();
    Pump(200);
    Save(form, out + "/window-results-root.png");
    return 0;
}
