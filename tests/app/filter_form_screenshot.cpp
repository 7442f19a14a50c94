// Takes the filter dialog's screenshot for docs/screenshots. Not a test: run
// it by hand (under Xvfb) with
//   filter_form_screenshot <output file>
// and a scratch registry in $ZURIVO_REGISTRY.

#include "app/filter_form.h"
#include "app/filter_table.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: filter_form_screenshot OUTFILE\n");
        return 2;
    }
    zr::InstallFilterDefaults(zr::kFilterNamesKey, zr::kFilterMasksKey, true);
    zr::AddFilter(zr::kFilterNamesKey, zr::kFilterMasksKey, "*.c;*.h");
    zr::TFilterForm form(nullptr, zr::kFilterNamesKey, zr::kFilterMasksKey);
    form.show();
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 400)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    form.grab().save(QString::fromLocal8Bit(argv[1]));
    std::printf("%s\n", argv[1]);
    return 0;
}
