#include "util/message_placement.h"

namespace zr {

Rect MessageBoxRect(const MessageBoxRequest &request, Size box, const Rect &screen, const Rect &available)
{
    Point forced{request.x, request.y};
    PlaceNear(pkCentre, request.centreOver, box, screen, forced);
    Rect rect{screen.left + (screen.width - box.width) / 2, screen.top + (screen.height - box.height) / 2,
              box.width, box.height};
    if (forced.x >= 0)
        rect.left = forced.x;
    if (forced.y >= 0)
        rect.top = forced.y;
    if (request.keepClearOfTaskbar)
        rect = KeepClearOfTaskbar(rect, screen, PanelRect(screen, available));
    return rect;
}

}  // namespace zr
