#include "app/window_placement.h"

#include "util/settings_store.h"

namespace zr {

TWindowPlacement PlacementFromState(TWindowShowState state, const Rect &normal, bool maximizedBeforeMinimized)
{
    TWindowPlacement p;
    switch (state) {
    case TWindowShowState::wsNormal:
        p.showCmd = kShowNormal;
        break;
    case TWindowShowState::wsMinimized:
        p.showCmd = kShowMinimized;
        if (maximizedBeforeMinimized)
            p.flags = kRestoreToMaximized;
        break;
    case TWindowShowState::wsMaximized:
        p.showCmd = kShowMaximized;
        break;
    }
    p.left = normal.left;
    p.top = normal.top;
    p.right = normal.Right();
    p.bottom = normal.Bottom();
    return p;
}

TWindowShowState ShowStateToRestore(const TWindowPlacement &placement)
{
    if (placement.showCmd == kShowMaximized)
        return TWindowShowState::wsMaximized;
    if (placement.showCmd == kShowMinimized && (placement.flags & kRestoreToMaximized) != 0)
        return TWindowShowState::wsMaximized;
    return TWindowShowState::wsNormal;
}

Rect NormalRect(const TWindowPlacement &placement)
{
    return {placement.left, placement.top, placement.right - placement.left,
            placement.bottom - placement.top};
}

TWindowPlacement ReadPlacement(const std::string &section, const TWindowPlacement &current)
{
    TWindowPlacement p;
    p.flags = ReadSettingInteger(section, "PlaceFlags", current.flags);
    p.showCmd = ReadSettingInteger(section, "PlaceShowCmd", current.showCmd);
    p.minPos.x = ReadSettingInteger(section, "PlaceMinPos.X", current.minPos.x);
    p.minPos.y = ReadSettingInteger(section, "PlaceMinPos.Y", current.minPos.y);
    p.maxPos.x = ReadSettingInteger(section, "PlaceMaxPos.X", current.maxPos.x);
    p.maxPos.y = ReadSettingInteger(section, "PlaceMaxPos.Y", current.maxPos.y);
    p.left = ReadSettingInteger(section, "PlaceNormalPos.Left", current.left);
    p.top = ReadSettingInteger(section, "PlaceNormalPos.Top", current.top);
    p.right = ReadSettingInteger(section, "PlaceNormalPos.Right", current.right);
    p.bottom = ReadSettingInteger(section, "PlaceNormalPos.Bottom", current.bottom);
    return p;
}

void WritePlacement(const std::string &section, const TWindowPlacement &p)
{
    WriteSettingInteger(section, "PlaceFlags", p.flags);
    WriteSettingInteger(section, "PlaceShowCmd", p.showCmd);
    WriteSettingInteger(section, "PlaceMinPos.X", p.minPos.x);
    WriteSettingInteger(section, "PlaceMinPos.Y", p.minPos.y);
    WriteSettingInteger(section, "PlaceMaxPos.X", p.maxPos.x);
    WriteSettingInteger(section, "PlaceMaxPos.Y", p.maxPos.y);
    WriteSettingInteger(section, "PlaceNormalPos.Left", p.left);
    WriteSettingInteger(section, "PlaceNormalPos.Top", p.top);
    WriteSettingInteger(section, "PlaceNormalPos.Right", p.right);
    WriteSettingInteger(section, "PlaceNormalPos.Bottom", p.bottom);
}

}  // namespace zr
