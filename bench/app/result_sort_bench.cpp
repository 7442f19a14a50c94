// What a click on a result-list header costs with one archive of N hit lines
// (default 1,000,000) from 1,000 stored files: each column ascending,
// descending and back to run order, measured as the header click (sort,
// model reset, repaint) and as the model's sort alone.
//   QT_QPA_PLATFORM=offscreen result_sort_bench [N]

#include "app/grep_form.h"
#include "app/hit_models.h"
#include "history/history_combo_box.h"
#include "util/settings_store.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QTreeView>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <unistd.h>

namespace {

double CpuMs()
{
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// Wall time and processor time (which the shared machine's load leaves alone).
struct TCost {
    double wall, cpu;
};

TCost Timed(const std::function<void()> &step)
{
    QElapsedTimer timer;
    const double cpu = CpuMs();
    timer.start();
    step();
    QApplication::processEvents();  // the repaint the change asked for
    return {static_cast<double>(timer.nsecsElapsed()) / 1e6, CpuMs() - cpu};
}

// Log-like CP932 lines: a shared head, a date and a number that vary, and
// the word searched for ("ログ" and "エラー" in CP932).
std::string LineText(unsigned i)
{
    const unsigned mixed = i * 2654435761u;
    char text[160];
    std::snprintf(text, sizeof text, "2026/%02u/%02u %02u:%02u:%02u \x83\x8D\x83\x4F %07u \x83\x47\x83\x89\x81\x5B code=%u",
                  1 + mixed % 12, 1 + (mixed >> 4) % 28, (mixed >> 9) % 24, (mixed >> 14) % 60,
                  (mixed >> 20) % 60, mixed % 9999991, (mixed >> 7) % 500);
    return text;
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
    form.resize(1000, 700);
    form.show();
    QApplication::processEvents();
    form.SetRunJobFactory([lines](const zr::search::SearchConditions &, const zr::search::RunOptions &) {
        return [lines](std::stop_token, zr::search::RunSink &sink) {
            const int perFile = std::max(1, lines / 1000);
            for (int i = 0; i < lines; ++i) {
                char stored[64];
                std::snprintf(stored, sizeof stored, "logs/%03d/app-%04u.log", i / perFile % 100,
                              (static_cast<unsigned>(i / perFile) * 7919u) % 10000u);
                sink.OnHit({"/data/big.zip", stored, 1 + (i % perFile) * 37, LineText(static_cast<unsigned>(i))});
            }
            zr::search::RunSummary summary;
            summary.resultLabel = "done";
            sink.OnFinished(summary);
        };
    });
    form.HisPath()->PushText(folder);
    form.HisPath()->setCurrentIndex(0);
    QElapsedTimer run;
    run.start();
    form.StartSearch();
    form.WaitForRun();
    std::printf("run of %d lines: %.0f ms\n", lines, static_cast<double>(run.nsecsElapsed()) / 1e6);
    QTreeView *tree = form.ArchiveTree();
    tree->setCurrentIndex(form.TreeModel()->index(0, 0, form.TreeModel()->RootIndex()));
    QApplication::processEvents();
    QTreeView *list = form.ResultList();
    zr::TResultListModel *model = form.ListModel();
    std::printf("%d rows in the list\n", model->rowCount());

    static const char *const kColumns[] = {"name", "line", "text"};
    std::printf("(wall / processor ms)\n");
    for (int column = 0; column < 3; ++column) {
        QHeaderView *header = list->header();
        const TCost up = Timed([&] { emit header->sectionClicked(column); });
        const TCost down = Timed([&] { emit header->sectionClicked(column); });
        const TCost back = Timed([&] { emit header->sectionClicked(column); });
        std::printf("header click by %-4s: ascending %6.1f / %6.1f, descending %6.1f / %6.1f, run order %6.1f / %6.1f\n",
                    kColumns[column], up.wall, up.cpu, down.wall, down.cpu, back.wall, back.cpu);
    }
    for (int column = 0; column < 3; ++column) {
        const TCost sorted = Timed([&] { model->Sort({column, Qt::AscendingOrder}); });
        const TCost back = Timed([&] { model->Sort({}); });
        std::printf("model sort by %-4s: %6.1f / %6.1f, back to run order %6.1f / %6.1f\n", kColumns[column],
                    sorted.wall, sorted.cpu, back.wall, back.cpu);
    }

    std::string cleanup = "rm -rf '" + folder + "'";
    return std::system(cleanup.c_str()) == 0 ? 0 : 1;
}
