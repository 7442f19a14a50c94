#include "bigview/bv_scroll_keys.h"

namespace zr {

namespace {

using A = TBvScrollKeyAction;

A VerticalAction(TBvKey key, bool ctrl)
{
    switch (key) {
    case TBvKey::Up:
        return ctrl ? A::PageUp : A::LineUp;
    case TBvKey::Down:
        return ctrl ? A::PageDown : A::LineDown;
    case TBvKey::PageUp:
        return A::PageUp;
    case TBvKey::PageDown:
        return A::PageDown;
    case TBvKey::Home:
        return ctrl ? A::Top : A::None;
    case TBvKey::End:
        return ctrl ? A::Bottom : A::None;
    default:
        return A::None;
    }
}

A HorizontalAction(TBvKey key, bool ctrl)
{
    switch (key) {
    case TBvKey::Left:
        return ctrl ? A::PageLeft : A::ColumnLeft;
    case TBvKey::Right:
        return ctrl ? A::PageRight : A::ColumnRight;
    case TBvKey::Home:
        return ctrl ? A::None : A::Leftmost;
    case TBvKey::End:
        return ctrl ? A::None : A::Rightmost;
    default:
        return A::None;
    }
}

}  // namespace

TBvScrollKeyAction ScrollKeyAction(TBvKey key, bool ctrl, TBvScrollBars bars)
{
    const bool vertical = bars == TBvScrollBars::ssVertical || bars == TBvScrollBars::ssBoth;
    const bool horizontal = bars == TBvScrollBars::ssHorizontal || bars == TBvScrollBars::ssBoth;
    if (vertical) {
        const A action = VerticalAction(key, ctrl);
        if (action != A::None)
            return action;
    }
    return horizontal ? HorizontalAction(key, ctrl) : A::None;
}

}  // namespace zr
