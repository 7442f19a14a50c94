#include "archive/window/busy_cursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace zr::archive {

ScopedBusyCursor::ScopedBusyCursor(bool enabled)
{
    if (enabled && qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        active_ = true;
    }
}

ScopedBusyCursor::~ScopedBusyCursor()
{
    if (active_)
        QGuiApplication::restoreOverrideCursor();
}

}  // namespace zr::archive
