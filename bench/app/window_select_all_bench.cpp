// What selecting every hit line and clearing the selection cost the window
// with one archive of N hit lines (default 1,000,000): 編集 > すべて選択 twice,
// Ctrl+A in the list, and a click on one row after a full selection.
//   QT_QPA_PLATFORM=offscreen window_select_all_bench [N]

#include "app/grep_form.h"
#include "app/grep_status_bar.h"
#include "app/hit_models.h"
#include "history/history_combo_box.h"
#include "util/settings_store.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QItemSelectionModel>
#include <QTreeView>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

double TimedMs(const std::function<void()> &step)
{
    QElapsedTimer timer;
    timer.start();
    step();
    QApplication::processEvents();  // the repaint the change asked for
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

}  // namespace

int main(int argc, char *argv[])
{
    char registry[] = "/tmp/zr-bench-XXXXXX";
    if (!::mkdtemp(registry))
        return 1;
    const std::string folder = registry;
    ::setenv("ZURIVO_REGISTRY", (folder + "/registry.sqlite3").c_str(), 1);
    QApplication app(argc, argv);
    const int lines = argc > 1 ? std::atoi(argv[1]) : 1000000;
    zr::WriteSettingString("Setting", "WorkPath", folder);

    zr::TGrepForm form;
    form.resize(900, 600);
    form.show();
    QApplication::processEvents();
    form.SetRunJobFactory([lines](const zr::search::SearchConditions &, const zr::search::RunOptions &) {
        return [lines](std::stop_token, zr::search::RunSink &sink) {
            for (int i = 1; i <= lines; ++i)
                sink.OnHit({"/data/big.lzh", "docs/readme.txt", i, "a line of text"});
            zr::search::RunSummary summary;
            summary.resultLabel = "done";
            sink.OnFinished(summary);
        };
    });
    form.HisPath()->PushText(folder);
    form.HisPath()->setCurrentIndex(0);
    form.StartSearch();
    form.WaitForRun();
    QTreeView *tree = form.ArchiveTree();
    tree->setCurrentIndex(form.TreeModel()->index(0, 0, form.TreeModel()->RootIndex()));
    QApplication::processEvents();
    QTreeView *list = form.ResultList();
    std::printf("%d rows in the list\n", form.ListModel()->rowCount());

    {
        // Where the time goes: the selection model alone, then the repaint.
        QElapsedTimer timer;
        timer.start();
        const int rows = form.ListModel()->rowCount();
        list->selectionModel()->select(
            QItemSelection(form.ListModel()->index(0, 0), form.ListModel()->index(rows - 1, 2)),
            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        const double model = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        timer.restart();
        QApplication::processEvents();
        std::printf("selection model: %.1f ms, repaint %.1f ms\n", model,
                    static_cast<double>(timer.nsecsElapsed()) / 1e6);
        list->selectionModel()->clearSelection();
        QApplication::processEvents();
    }
    QAction *allSelect = form.Actions().ActE_AllSelect;
    const double select = TimedMs([&] { allSelect->trigger(); });
    std::printf("select all: %.1f ms (%s)\n", select, form.GrepStatusBar()->CountText().c_str());
    const double clear = TimedMs([&] { allSelect->trigger(); });
    std::printf("clear:      %.1f ms (%s)\n", clear, form.GrepStatusBar()->CountText().c_str());
    const double ctrlA = TimedMs([&] { QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier); });
    std::printf("Ctrl+A:     %.1f ms (%s)\n", ctrlA, form.GrepStatusBar()->CountText().c_str());
    const QRect row = list->visualRect(form.ListModel()->index(3, 0));
    const double click = TimedMs([&] { QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center()); });
    std::printf("one click:  %.1f ms (%s)\n", click, form.GrepStatusBar()->CountText().c_str());

    std::string cleanup = "rm -rf '" + folder + "'";
    return std::system(cleanup.c_str()) == 0 ? 0 : 1;
}
