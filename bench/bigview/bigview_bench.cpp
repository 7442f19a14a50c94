// Times the result view's two heavy paths in a shown window:
//   appending lines while keeping the last one in view (as a search run does),
//   re-wrapping every line after the window is resized.
// Usage: zr_bench_bigview [appended lines] [lines to re-wrap]
// Run under a display (xvfb-run) or with QT_QPA_PLATFORM=offscreen.
#include <QApplication>
#include <QElapsedTimer>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bigview/bigview.h"

namespace {

std::string SampleLine(int i)
{
    // Mixed Japanese and ASCII, of varying length, with a tab, like the
    // progress and summary lines of a run.
    std::string line = "archive" + std::to_string(i % 977) + ".lzh  docs/readme" + std::to_string(i % 31) +
                       ".txt  " + std::to_string(i % 200) + " 行目\t検索した文字を含む行です。";
    for (int k = 0; k < i % 4; ++k)
        line += " The quick brown fox jumps over the lazy dog. 日本語の文章が続きます。";
    return line;
}

// Process CPU time: the shared build machine's load makes wall time say little.
class Stopwatch {
public:
    Stopwatch() { restart(); }
    void restart()
    {
        wall_.start();
        cpu_ = std::clock();
    }
    double Cpu() const { return static_cast<double>(std::clock() - cpu_) / CLOCKS_PER_SEC; }
    double Wall() const { return static_cast<double>(wall_.nsecsElapsed()) / 1e9; }

private:
    QElapsedTimer wall_;
    std::clock_t cpu_;
};

}  // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int appendCount = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int rewrapCount = argc > 2 ? std::atoi(argv[2]) : 100000;

    zr::TBigView view;
    view.SetScrollBar(zr::TBvScrollBars::ssVertical);
    view.resize(800, 600);
    view.show();
    QApplication::processEvents();

    Stopwatch timer;
    for (int i = 0; i < appendCount; ++i) {
        view.AddLine(SampleLine(i));
        view.SetBottomLine(view.LineCount() - 1);
        QApplication::processEvents();  // as a run does after every reported line
    }
    QApplication::processEvents();
    const double append = timer.Cpu();
    std::printf("append+follow  %7d lines  cpu %.3f s  wall %.3f s  (%.1f us/line, %d display rows)\n",
                appendCount, append, timer.Wall(), append * 1e6 / appendCount, view.LineCount());

    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(rewrapCount));
    for (int i = 0; i < rewrapCount; ++i)
        lines.push_back(SampleLine(i));
    timer.restart();
    view.Assign(lines);
    QApplication::processEvents();
    std::printf("assign         %7d lines  cpu %.3f s  wall %.3f s  (%d display rows)\n", rewrapCount,
                timer.Cpu(), timer.Wall(), view.LineCount());

    for (const int width : {640, 1000, 520}) {
        timer.restart();
        view.resize(width, 600);
        QApplication::processEvents();
        std::printf("resize to %4d %7d lines  cpu %.3f s  wall %.3f s  (%d display rows)\n", width,
                    rewrapCount, timer.Cpu(), timer.Wall(), view.LineCount());
    }
    return 0;
}
