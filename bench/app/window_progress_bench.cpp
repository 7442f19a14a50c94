// What the result view costs a run with many progress lines: a stand-in run
// sends N progress lines (and as many hits) through the window's batches, and
// the same view is fed line by line for comparison.
//   QT_QPA_PLATFORM=offscreen window_progress_bench [N]

#include "app/grep_form.h"
#include "bigview/bigview.h"
#include "history/history_combo_box.h"
#include "util/settings_store.h"

#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

int main(int argc, char *argv[])
{
    char registry[] = "/tmp/zr-bench-XXXXXX";
    if (!::mkdtemp(registry))
        return 1;
    const std::string folder = registry;
    ::setenv("ZURIVO_REGISTRY", (folder + "/registry.sqlite3").c_str(), 1);
    QApplication app(argc, argv);
    const int lines = argc > 1 ? std::atoi(argv[1]) : 100000;
    zr::WriteSettingString("Setting", "WorkPath", folder);

    zr::TGrepForm form;
    form.resize(900, 600);
    form.show();
    QApplication::processEvents();
    form.SetRunJobFactory([lines](const zr::search::SearchConditions &, const zr::search::RunOptions &) {
        return [lines](std::stop_token, zr::search::RunSink &sink) {
            for (int i = 0; i < lines; ++i) {
                const std::string name = "archive" + std::to_string(i) + ".lzh";
                sink.OnProgressLine(name + " ⇒ docs/readme.txt ⇒ 3行");
                sink.OnHit({"/data/" + name, "docs/readme.txt", 1, "text"});
            }
            zr::search::RunSummary summary;
            summary.resultLabel = "done";
            sink.OnFinished(summary);
        };
    });
    form.HisPath()->PushText(folder);
    form.HisPath()->setCurrentIndex(0);
    QElapsedTimer timer;
    timer.start();
    form.StartSearch();
    while (form.BusyFlag())
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    const double batched = timer.elapsed();
    std::printf("batched: %d progress lines and hits through the window in %.0f ms\n", lines, batched);

    // The same view, one line and one repaint at a time, on a sample.
    const int sample = std::min(lines, 2000);
    zr::TBigView *view = form.ResultView();
    view->Clear();
    view->show();
    timer.restart();
    for (int i = 0; i < sample; ++i) {
        view->AddLine("archive" + std::to_string(i) + ".lzh ⇒ docs/readme.txt ⇒ 3行");
        view->SetBottomLine(view->LineCount() - 1);
    }
    const double perLine = static_cast<double>(timer.elapsed()) / sample;
    std::printf("line by line: %.3f ms per line, so %.1f s for %d lines\n", perLine, perLine * lines / 1000.0,
                lines);
    std::string cleanup = "rm -rf '" + folder + "'";
    return std::system(cleanup.c_str()) == 0 ? 0 : 1;
}
