// The wheel, the page's resolution and the deferred scroll-bar updates.
#include <gtest/gtest.h>

#include <QApplication>
#include <QScrollBar>
#include <QWheelEvent>

#include "bigview/bigview.h"
#include "bigview/bv_page.h"
#include "bigview/bv_scroll.h"

namespace zr {
namespace {

std::vector<std::string> Numbered(int n)
{
    std::vector<std::string> lines;
    for (int i = 0; i < n; ++i)
        lines.push_back("line " + std::to_string(i));
    return lines;
}

void Wheel(TBigView &view, QPoint angle, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    const QPointF at(20, 20);
    QWheelEvent event(at, view.mapToGlobal(at), QPoint(), angle, Qt::NoButton, modifiers, Qt::NoScrollPhase,
                      false);
    QApplication::sendEvent(&view, &event);
}

TEST(BvWheelLines, NotchesAndTouchpadStepsBecomeWholeLines)
{
    TBvWheelLines wheel;
    EXPECT_EQ(wheel.Take(-120, 3), 3);  // one notch toward the user: three lines down
    EXPECT_EQ(wheel.Take(240, 3), -6);
    // A touchpad sends small steps: 40 eighths at 3 lines a notch is one line.
    EXPECT_EQ(wheel.Take(-20, 3), 0);
    EXPECT_EQ(wheel.Take(-20, 3), 1);
    EXPECT_EQ(wheel.Take(-30, 3), 0);
    // Turning back forgets what was gathered the other way.
    EXPECT_EQ(wheel.Take(30, 3), 0);
    EXPECT_EQ(wheel.Take(10, 3), -1);
}

TEST(BigViewWheel, ScrollsByTheDesktopLinesWithAndWithoutScrollBars)
{
    for (const TBvScrollBars bars : {TBvScrollBars::ssNone, TBvScrollBars::ssVertical}) {
        TBigView view;
        view.SetScrollBar(bars);
        view.resize(300, 200);
        view.show();
        view.Assign(Numbered(100));
        const int lines = QApplication::wheelScrollLines();
        Wheel(view, {0, -120});
        EXPECT_EQ(view.TopLine(), lines);
        Wheel(view, {0, -240});
        EXPECT_EQ(view.TopLine(), 3 * lines) << "no acceleration";
        Wheel(view, {0, 120 * 100});
        EXPECT_EQ(view.TopLine(), 0);
        Wheel(view, {0, -120 * 100});  // stops where the scroll range ends
        EXPECT_EQ(view.TopLine(), 100 - view.VisibleLines());
    }
}

TEST(BigViewWheel, SidewaysOrShiftScrollsColumns)
{
    TBigView view;
    view.SetWordWrap(false);
    view.resize(200, 100);
    view.show();
    view.Assign({std::string(300, 'x')});
    Wheel(view, {-120, 0});
    EXPECT_EQ(view.HorizontalOffset(), QApplication::wheelScrollLines());
    Wheel(view, {0, 120}, Qt::ShiftModifier);
    EXPECT_EQ(view.HorizontalOffset(), 0);
    EXPECT_EQ(view.TopLine(), 0);
}

TEST(BvPageResolution, ThePageHoldsDevicePixelsAndScrollsAtAnyRatio)
{
    TBvQtMeasurer measurer(QApplication::font(), 96);
    TBvDocument doc(measurer);
    doc.SetWrapSettings({false, 0, 0});
    doc.Assign(Numbered(40));
    const TBvPageLook look{Qt::white, Qt::black, QApplication::font(), false, 0, 0, {}, {}};
    for (const qreal ratio : {1.0, 1.5, 2.0}) {
        TBvPage page(doc, measurer);
        page.Resize(200, 10, ratio);
        EXPECT_EQ(page.Image().devicePixelRatio(), ratio);
        EXPECT_EQ(page.Image().width(), static_cast<int>(std::ceil(200 * ratio)));
        EXPECT_EQ(page.Image().height(), static_cast<int>(std::ceil(10 * measurer.LineHeight() * ratio)));
        // Moving the pixels gives the picture a redraw at the new top gives.
        page.Redraw(look);
        TBvPageLook scrolled = look;
        scrolled.top = 3;
        page.Scroll(3, scrolled);
        TBvPage direct(doc, measurer);
        direct.Resize(200, 10, ratio);
        direct.Redraw(scrolled);
        EXPECT_EQ(page.Image(), direct.Image()) << "ratio " << ratio;
    }
}

TEST(BigViewFollowing, AppendedLinesReachTheScrollBarByTheNextFrame)
{
    TBigView view;
    view.SetScrollBar(TBvScrollBars::ssVertical);
    view.resize(300, 200);
    view.show();
    for (int i = 0; i < 200; ++i) {
        view.AddLine("line " + std::to_string(i));
        view.SetBottomLine(view.LineCount() - 1);
    }
    EXPECT_EQ(view.BottomLine(), 199);
    const auto *bar = view.findChild<QScrollBar *>();
    ASSERT_NE(bar, nullptr);
    // The bar catches up once the frame timer has run.
    for (int i = 0;
         i < 200 && (bar->maximum() != 200 - view.VisibleLines() || bar->value() != view.TopLine()); ++i)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_EQ(bar->maximum(), 200 - view.VisibleLines());
    EXPECT_EQ(bar->value(), view.TopLine());
    // The text equals that of a view given the same lines at once.
    TBigView direct;
    direct.SetScrollBar(TBvScrollBars::ssVertical);
    direct.resize(300, 200);
    direct.show();
    direct.Assign(Numbered(200));
    direct.SetTopLine(view.TopLine());
    EXPECT_EQ(view.grab(view.TextArea()).toImage(), direct.grab(direct.TextArea()).toImage());
}

}  // namespace
}  // namespace zr
