#include "util/placement_qt.h"

#include "util/placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace zr {

Rect ToRect(const QRect &r) { return {r.x(), r.y(), r.width(), r.height()}; }

std::optional<Rect> FrameRect(const QWidget *widget)
{
    if (!widget)
        return std::nullopt;
    return ToRect(widget->frameGeometry());
}

namespace {
QScreen *ScreenOf(const QWidget *widget)
{
    QScreen *screen = widget ? widget->screen() : nullptr;
    return screen ? screen : QGuiApplication::primaryScreen();
}
}  // namespace

void PlaceNear(int kind, const QWidget *owner, const QWidget *dialog, int &x, int &y)
{
    QScreen *screen = ScreenOf(owner);
    if (!owner || !dialog || !screen)
        return;
    Point position{x, y};
    PlaceNear(kind, FrameRect(owner), FrameRect(dialog)->GetSize(), ToRect(screen->geometry()), position);
    x = position.x;
    y = position.y;
}

void KeepClearOfTaskbar(QWidget *form)
{
    QScreen *screen = ScreenOf(form);
    if (!form || !screen)
        return;
    const Rect desktop = ToRect(screen->geometry());
    const Rect placed = KeepClearOfTaskbar(*FrameRect(form), desktop,
                                           PanelRect(desktop, ToRect(screen->availableGeometry())));
    form->move(placed.left, placed.top);
}

void PlaceFormNear(int kind, const QWidget *owner, QWidget *form)
{
    QScreen *screen = ScreenOf(owner ? owner : form);
    if (!form || !screen)
        return;
    const Point p =
        PlaceFormNear(kind, FrameRect(owner), FrameRect(form)->GetSize(), ToRect(screen->geometry()));
    form->move(p.x, p.y);
    if (owner)
        KeepClearOfTaskbar(form);
    form->showNormal();
}

}  // namespace zr
