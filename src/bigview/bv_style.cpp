#include "bigview/bv_style.h"

namespace zr {

bool TBvFrameRules::Resizable(TBvStyle style)
{
    return style.Has(TBvStyleFlag::bvVResize) || style.Has(TBvStyleFlag::bvHResize);
}

int TBvFrameRules::FrameWidth(TBvStyle style)
{
    int width = 0;
    if (Resizable(style))
        width += SizingFrame;
    else if (style.Has(TBvStyleFlag::bvDblFrame))
        width += DialogFrame;
    if (style.Has(TBvStyleFlag::bvClientLow))
        width += SunkenEdge;
    return width;
}

int TBvFrameRules::EdgesAt(TBvStyle style, int x, int y, int width, int height)
{
    if (!Resizable(style))
        return EdgeNone;
    const int horizontal = x < SizingFrame ? EdgeLeft : (x >= width - SizingFrame ? EdgeRight : EdgeNone);
    const int vertical = y < SizingFrame ? EdgeTop : (y >= height - SizingFrame ? EdgeBottom : EdgeNone);
    const bool canH = style.Has(TBvStyleFlag::bvHResize);
    const bool canV = style.Has(TBvStyleFlag::bvVResize);
    // A corner resizes both ways, so it works only when both ways are allowed.
    if (horizontal != EdgeNone && vertical != EdgeNone)
        return (canH && canV) ? (horizontal | vertical) : EdgeNone;
    if (horizontal != EdgeNone)
        return canH ? horizontal : EdgeNone;
    return canV ? vertical : EdgeNone;
}

bool TBvFrameRules::DragMoves(TBvStyle style, bool onCaption, bool ctrlHeld)
{
    if (!style.Has(TBvStyleFlag::bvMove))
        return false;
    if (style.Has(TBvStyleFlag::bvCaption))
        return onCaption;
    return ctrlHeld;
}

}  // namespace zr
