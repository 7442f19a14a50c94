#pragma once
// One offscreen QApplication for the widget tests of this program.

#include <QApplication>

namespace zr::testing {

inline QApplication &EnsureQtApplication()
{
    if (auto *existing = qobject_cast<QApplication *>(QCoreApplication::instance()))
        return *existing;
    static int argc = 1;
    static char name[] = "util_tests";
    static char *argv[] = {name, nullptr};
    static QApplication *app = new QApplication(argc, argv);
    return *app;
}

}  // namespace zr::testing
