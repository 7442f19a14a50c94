#include "util/placement.h"

namespace zr {

namespace {
constexpr int kOffset = 20;
constexpr int kMargin = 2;

// X < screen left becomes left + 2; passing the right edge ends 2 pixels inside.
int ClampToScreen(int value, int extent, int screenStart, int screenEnd)
{
    if (value < screenStart)
        value = screenStart + kMargin;
    if (value + extent > screenEnd)
        value = screenEnd - extent - kMargin;
    return value;
}

Point ClampToScreen(Point p, Size size, const Rect &screen)
{
    return {ClampToScreen(p.x, size.width, screen.left, screen.Right()),
            ClampToScreen(p.y, size.height, screen.top, screen.Bottom())};
}

bool NearKind(int kind, const Rect &owner, Size dialog, Point &p)
{
    switch (kind) {
    case pkOffset:
        p = {owner.left + kOffset, owner.top + kOffset};
        return true;
    case pkCentre:
        p = {owner.left + owner.width / 2 - dialog.width / 2,
             owner.top + owner.height / 2 - dialog.height / 2};
        return true;
    case pkBackOffset:
        p = {owner.left - kOffset, owner.top - kOffset};
        return true;
    default:
        return false;
    }
}

bool Overlaps(const Rect &a, const Rect &b)
{
    return a.left < b.Right() && b.left < a.Right() && a.top < b.Bottom() && b.top < a.Bottom();
}

Rect PullInside(Rect form, const Rect &desktop)
{
    if (form.left < desktop.left)
        form.left = desktop.left;
    if (form.Right() > desktop.Right())
        form.left = desktop.Right() - form.width;
    if (form.top < desktop.top)
        form.top = desktop.top;
    if (form.Bottom() > desktop.Bottom())
        form.top = desktop.Bottom() - form.height;
    return form;
}
}  // namespace

void PlaceNear(int kind, const std::optional<Rect> &owner, Size dialog, const Rect &screen, Point &position)
{
    if (!owner)
        return;
    NearKind(kind, *owner, dialog, position);
    position = ClampToScreen(position, dialog, screen);
}

Point PlaceFormNear(int kind, const std::optional<Rect> &owner, Size form, const Rect &screen)
{
    if (!owner)
        return {screen.left + (screen.width - form.width) / 2,
                screen.top + (screen.height - form.height) / 2};
    Point p{screen.left, screen.top};
    if (kind == pkBottomRight)
        p = {screen.Right() - form.width, screen.Bottom() - form.height};
    else
        NearKind(kind, *owner, form, p);
    return ClampToScreen(p, form, screen);
}

std::optional<Rect> PanelRect(const Rect &full, const Rect &available)
{
    if (available.Bottom() < full.Bottom())
        return Rect{full.left, available.Bottom(), full.width, full.Bottom() - available.Bottom()};
    if (available.top > full.top)
        return Rect{full.left, full.top, full.width, available.top - full.top};
    if (available.Right() < full.Right())
        return Rect{available.Right(), full.top, full.Right() - available.Right(), full.height};
    if (available.left > full.left)
        return Rect{full.left, full.top, available.left - full.left, full.height};
    return std::nullopt;
}

Rect KeepClearOfTaskbar(const Rect &form, const Rect &desktop, const std::optional<Rect> &panel)
{
    if (!panel)
        return form;
    Rect placed = PullInside(form, desktop);
    const Rect &bar = *panel;
    const bool spansWidth = bar.left <= desktop.left && bar.Right() >= desktop.Right();
    const bool spansHeight = bar.top <= desktop.top && bar.Bottom() >= desktop.Bottom();
    if (!Overlaps(placed, bar))
        return placed;
    if (spansWidth && bar.Bottom() >= desktop.Bottom())
        placed.top = bar.top - placed.height;
    else if (spansWidth && bar.top <= desktop.top)
        placed.top = bar.Bottom();
    else if (spansHeight && bar.Right() >= desktop.Right())
        placed.left = bar.left - placed.width;
    else if (spansHeight && bar.left <= desktop.left)
        placed.left = bar.Right();
    return placed;
}

}  // namespace zr
