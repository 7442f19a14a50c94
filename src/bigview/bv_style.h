#pragma once
// Window-frame styles of the view and which frame edges may resize it.

#include <cstdint>

namespace zr {

enum class TBvStyleFlag : std::uint8_t {
    bvCaption = 1 << 0,
    bvVResize = 1 << 1,
    bvHResize = 1 << 2,
    bvMove = 1 << 3,
    bvClientLow = 1 << 4,
    bvDblFrame = 1 << 5,
};

class TBvStyle {
public:
    constexpr TBvStyle() = default;
    constexpr TBvStyle(TBvStyleFlag flag) : bits_(static_cast<std::uint8_t>(flag)) {}
    constexpr bool Has(TBvStyleFlag flag) const { return (bits_ & static_cast<std::uint8_t>(flag)) != 0; }
    constexpr TBvStyle operator|(TBvStyle other) const { return FromBits(bits_ | other.bits_); }
    constexpr TBvStyle Without(TBvStyleFlag flag) const
    {
        return FromBits(bits_ & ~static_cast<std::uint8_t>(flag));
    }
    constexpr bool operator==(const TBvStyle &) const = default;
    constexpr bool Empty() const { return bits_ == 0; }

private:
    static constexpr TBvStyle FromBits(int bits)
    {
        TBvStyle s;
        s.bits_ = static_cast<std::uint8_t>(bits);
        return s;
    }
    std::uint8_t bits_ = 0;
};

constexpr TBvStyle operator|(TBvStyleFlag a, TBvStyleFlag b) { return TBvStyle(a) | TBvStyle(b); }

enum class TBvScrollBars { ssNone, ssHorizontal, ssVertical, ssBoth };

// Edges of the sizing frame, as bits: a corner is two edges.
enum TBvEdge : int { EdgeNone = 0, EdgeLeft = 1, EdgeRight = 2, EdgeTop = 4, EdgeBottom = 8 };

struct TBvFrameRules {
    static constexpr int SizingFrame = 4;
    static constexpr int SunkenEdge = 2;
    static constexpr int DialogFrame = 3;
    static constexpr int CaptionHeight = 18;

    static bool Resizable(TBvStyle style);
    // Frame thickness outside the client area.
    static int FrameWidth(TBvStyle style);
    static int CaptionHeightOf(TBvStyle style)
    {
        return style.Has(TBvStyleFlag::bvCaption) ? CaptionHeight : 0;
    }
    // Sizing edges under a point of a widget of the given size; edges the
    // style does not allow are inert (left out).
    static int EdgesAt(TBvStyle style, int x, int y, int width, int height);
    // True when dragging at this point moves the control.
    static bool DragMoves(TBvStyle style, bool onCaption, bool ctrlHeld);
};

}  // namespace zr
