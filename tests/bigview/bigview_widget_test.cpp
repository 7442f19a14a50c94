#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QScrollBar>
#include <sstream>

#include "bigview/bigview.h"
#include "platform/mbchar.h"

namespace zr {
namespace {

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        if (QApplication::instance() == nullptr)
            app_ = new QApplication(argc_, argv_);
    }
    void TearDown() override { delete app_; }

private:
    int argc_ = 1;
    char name_[16] = "bigview_tests";
    char *argv_[2] = {name_, nullptr};
    QApplication *app_ = nullptr;
};

[[maybe_unused]] const auto *const kQtEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

std::vector<std::string> Numbered(int n)
{
    std::vector<std::string> lines;
    for (int i = 0; i < n; ++i)
        lines.push_back("line " + std::to_string(i));
    return lines;
}

void Press(TBigView &view, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent event(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(&view, &event);
}

void Mouse(TBigView &view, QEvent::Type type, QPoint local, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(local), QPointF(view.mapToGlobal(local)), button, buttons, modifiers);
    QApplication::sendEvent(&view, &event);
}

TBvQtMeasurer MeasurerOf(const TBigView &view) { return TBvQtMeasurer(view.font(), view.logicalDpiY()); }

bool HasPixel(const QImage &image, QRgb rgb)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) == (rgb & 0xFFFFFF))
                return true;
    return false;
}

int CountOtherThan(const QImage &image, const QRect &area, QRgb background)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += (image.pixel(x, y) & 0xFFFFFF) != (background & 0xFFFFFF);
    return count;
}

TEST(BigView, PublishedDefaults)
{
    TBigView view;
    EXPECT_EQ(view.BvStyle(), TBvStyle(TBvStyleFlag::bvClientLow));
    EXPECT_EQ(view.ScrollBar(), TBvScrollBars::ssNone);
    EXPECT_FALSE(view.Caret());
    EXPECT_FALSE(view.CRMark());
    EXPECT_EQ(view.MaxChar(), 255);
    EXPECT_EQ(view.PCanLimit(), 0);
    EXPECT_FALSE(view.ScOver());
    EXPECT_EQ(view.ScrollSense(), 1);
    EXPECT_TRUE(view.Select());
    EXPECT_EQ(view.ViewTabStop(), 8);
    EXPECT_EQ(view.WrapByte(), 0);
    EXPECT_TRUE(view.WordWrap());
    EXPECT_EQ(view.Caption(), "");
    EXPECT_EQ(view.size(), QSize(65, 65));
    EXPECT_EQ(view.Color(), view.palette().color(QPalette::Base));
    EXPECT_EQ(view.LineCount(), 0);
}

TEST(BigView, ScrollSenseOutsideOneToTenIsIgnored)
{
    TBigView view;
    view.SetScrollSense(5);
    view.SetScrollSense(0);
    EXPECT_EQ(view.ScrollSense(), 5);
    view.SetScrollSense(11);
    EXPECT_EQ(view.ScrollSense(), 5);
    view.SetScrollSense(10);
    EXPECT_EQ(view.ScrollSense(), 10);
}

TEST(BigView, TopLineClampsToTheLastLineAndScOverOnlyChangesTheScrollRange)
{
    for (const bool scOver : {false, true}) {
        TBigView view;
        view.SetScrollBar(TBvScrollBars::ssVertical);
        view.SetScOver(scOver);
        view.resize(300, 200);
        view.show();
        view.Assign(Numbered(50));
        const int visible = view.VisibleLines();
        ASSERT_GT(visible, 2);
        view.SetTopLine(1000);
        EXPECT_EQ(view.TopLine(), 49);
        EXPECT_EQ(view.BottomLine(), 49);
        view.SetTopLine(-4);
        EXPECT_EQ(view.TopLine(), 0);
        const auto *bar = view.findChild<QScrollBar *>();
        ASSERT_NE(bar, nullptr);
        EXPECT_EQ(bar->maximum(), scOver ? 49 : 50 - visible);
        // Scrolling keys stop where the range ends.
        Press(view, Qt::Key_End, Qt::ControlModifier);
        EXPECT_EQ(view.TopLine(), scOver ? 49 : 50 - visible);
    }
}

TEST(BigView, TopLineOfAViewTooLowForOneLine)
{
    TBigView view;
    view.resize(300, 6);
    view.show();
    view.Assign(Numbered(10));
    ASSERT_EQ(view.VisibleLines(), 0);
    view.SetTopLine(view.LineCount() - view.VisibleLines());
    EXPECT_EQ(view.TopLine(), 9);
    EXPECT_EQ(view.SelEnd().Y, 9);
    EXPECT_EQ(view.SelStart(), view.SelEnd());
}

TEST(BigView, ViewLineEventsMayChangeTheTopLine)
{
    TBigView view;
    view.resize(300, 100);
    view.show();
    view.Assign(Numbered(30));
    int changed = 0;
    view.OnViewLineChanging = [](TBigView &, int &top) { top = top > 5 ? 5 : top; };
    view.OnViewLineChanged = [&changed](TBigView &) { ++changed; };
    view.SetTopLine(20);
    EXPECT_EQ(view.TopLine(), 5);
    EXPECT_EQ(changed, 1);
    view.SetBottomLine(29);
    EXPECT_EQ(view.TopLine(), 5);
}

TEST(BigView, StyleChangeEventsAndLinesSurviveIt)
{
    TBigView view;
    view.AddLine("kept");
    bool changed = false;
    view.OnBvStyleChanging = [](TBigView &, TBvStyle &style) { style = style | TBvStyleFlag::bvCaption; };
    view.OnBvStyleChanged = [&changed](TBigView &) { changed = true; };
    view.SetBvStyle(TBvStyleFlag::bvMove);
    EXPECT_EQ(view.BvStyle(), TBvStyleFlag::bvMove | TBvStyleFlag::bvCaption);
    EXPECT_TRUE(changed);
    EXPECT_EQ(view.GetLine(0), "kept");
    EXPECT_EQ(view.TextArea().top(), TBvFrameRules::CaptionHeight);
}

TEST(BigView, AddLineReturnsTheRowCountBeforeAndClearResets)
{
    TBigView view;
    view.SetWrapByte(4);
    EXPECT_EQ(view.AddLine("abcdefgh"), 0);
    EXPECT_EQ(view.AddLine("x"), 2);
    view.SetSelection({1, 0}, {2, 2});
    view.Clear();
    EXPECT_EQ(view.LineCount(), 0);
    EXPECT_EQ(view.SelStart(), (TBvPos{0, 0}));
    EXPECT_EQ(view.SelEnd(), (TBvPos{0, 0}));
    EXPECT_EQ(view.TopLine(), 0);
}

TEST(BigView, WidthWrappingFollowsResizeAndKeepsTheTopLine)
{
    TBigView view;
    view.resize(600, 200);
    view.show();
    view.Assign({std::string(200, 'a'), "tail"});
    const int wide = view.LineCount();
    view.SetTopLine(wide - 1);  // "tail"
    view.resize(200, 200);
    view.show();
    EXPECT_GT(view.LineCount(), wide);
    EXPECT_EQ(view.GetLine(view.TopLine()), "tail");
}

TEST(BigView, CopySelectionPutsTheTextOnTheClipboard)
{
    TBigView view;
    view.resize(400, 200);
    view.show();
    view.Assign({"日本語 text", "second"});
    view.SetSelection({1, 0}, {5, 1});
    EXPECT_EQ(view.SelectedText(), "日本語 text\nseco");
    QApplication::clipboard()->clear();
    Press(view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QString::fromUtf8("日本語 text\nseco"));
}

TEST(BigView, ShiftKeysExtendTheSelectionWithTheCaret)
{
    TBigView view;
    view.resize(400, 200);
    view.show();
    view.SetCaret(true);
    view.Assign({"ab\xe3\x81\x82"
                 "cd",
                 "xy"});
    view.SetSelection({1, 0}, {1, 0});
    Press(view, Qt::Key_Right, Qt::ShiftModifier);
    Press(view, Qt::Key_Right, Qt::ShiftModifier);
    Press(view, Qt::Key_Right, Qt::ShiftModifier);  // over the whole three-byte character
    EXPECT_EQ(view.SelEnd(), (TBvPos{6, 0}));
    EXPECT_EQ(view.SelectedText(), "ab\xe3\x81\x82");
    Press(view, Qt::Key_Down);  // unshifted: collapses
    EXPECT_EQ(view.SelStart(), view.SelEnd());
    view.SetSelect(false);
    Press(view, Qt::Key_Home, Qt::ShiftModifier);
    EXPECT_EQ(view.SelStart(), view.SelEnd());
}

TEST(BigView, ShiftPageKeysKeepTheAnchorWhileTheTopLineMoves)
{
    TBigView view;
    view.resize(300, 100);
    view.show();
    view.SetCaret(true);
    view.Assign(Numbered(40));
    const int visible = view.VisibleLines();
    ASSERT_GT(visible, 1);
    view.SetSelection({1, 0}, {1, 0});
    Press(view, Qt::Key_PageDown, Qt::ShiftModifier);
    EXPECT_EQ(view.SelStart(), (TBvPos{1, 0}));
    EXPECT_EQ(view.SelEnd(), (TBvPos{1, visible}));
    EXPECT_EQ(view.TopLine(), visible);
    Press(view, Qt::Key_PageUp, Qt::ShiftModifier);
    EXPECT_EQ(view.SelStart(), (TBvPos{1, 0}));
    EXPECT_EQ(view.SelEnd(), (TBvPos{1, 0}));
    Press(view, Qt::Key_PageDown);  // unshifted: the caret moves alone
    EXPECT_EQ(view.SelStart(), (TBvPos{1, visible}));
    EXPECT_EQ(view.SelEnd(), (TBvPos{1, visible}));
}

TEST(BigView, KeysWithoutCaretScrollOnlyWithTheirScrollBar)
{
    TBigView view;
    view.resize(300, 100);
    view.show();
    view.Assign(Numbered(40));
    Press(view, Qt::Key_Down);
    EXPECT_EQ(view.TopLine(), 0);
    view.SetScrollBar(TBvScrollBars::ssVertical);
    Press(view, Qt::Key_Down);
    EXPECT_EQ(view.TopLine(), 1);
    Press(view, Qt::Key_PageDown);
    EXPECT_EQ(view.TopLine(), 1 + std::max(view.VisibleLines() - 1, 1));
    // OnKeyDown may swallow a key or turn it into another one.
    const int top = view.TopLine();
    view.OnKeyDown = [](TBigView &, int &key, Qt::KeyboardModifiers) {
        key = key == Qt::Key_Down ? 0 : (key == Qt::Key_J ? int(Qt::Key_Down) : key);
    };
    Press(view, Qt::Key_Down);
    EXPECT_EQ(view.TopLine(), top);
    Press(view, Qt::Key_J);
    EXPECT_EQ(view.TopLine(), top + 1);
}

TEST(BigView, RendersTextAndGreenLineEndMarks)
{
    TBigView view;
    view.resize(320, 120);
    view.show();
    view.SetColor(Qt::white);
    view.SetCRMark(true);
    view.AddLine("ASCII line");
    view.AddLine("日本語の行");
    view.AddLine("");
    const QImage image = view.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_GT(CountOtherThan(image, view.TextArea().adjusted(0, 0, 0, 0), qRgb(255, 255, 255)), 50)
        << "no text drawn";
    EXPECT_TRUE(HasPixel(image, qRgb(0, 255, 0)));
    view.SetCRMark(false);
    EXPECT_FALSE(HasPixel(view.grab().toImage().convertToFormat(QImage::Format_RGB32), qRgb(0, 255, 0)));
}

TEST(BigView, ScrollingMovesPixelsToTheSamePictureAsARedraw)
{
    const auto lines = Numbered(60);
    TBigView stepped;
    TBigView direct;
    for (TBigView *view : {&stepped, &direct}) {
        view->resize(300, 150);
        view->show();
        view->SetCRMark(true);
    }
    // The main window's way: add a line, then show the end.
    for (const auto &line : lines) {
        stepped.AddLine(line);
        stepped.SetTopLine(stepped.LineCount() - stepped.VisibleLines());
    }
    direct.Assign(lines);
    direct.SetTopLine(direct.LineCount() - direct.VisibleLines());
    ASSERT_EQ(stepped.TopLine(), direct.TopLine());
    EXPECT_EQ(stepped.grab().toImage(), direct.grab().toImage());
}

TEST(BigView, MouseDragSelectsAcrossRows)
{
    TBigView view;
    view.resize(400, 200);
    view.show();
    view.Assign({"first row", "second"});
    const QRect area = view.TextArea();
    const int lh = MeasurerOf(view).LineHeight();
    Mouse(view, QEvent::MouseButtonPress, area.topLeft() + QPoint(1, 1));
    Mouse(view, QEvent::MouseMove, area.topLeft() + QPoint(area.width() - 10, lh + lh / 2));
    Mouse(view, QEvent::MouseButtonRelease, area.topLeft() + QPoint(area.width() - 10, lh + lh / 2));
    EXPECT_EQ(view.SelStart(), (TBvPos{1, 0}));
    EXPECT_EQ(view.SelEnd(), (TBvPos{7, 1}));
    EXPECT_EQ(view.SelectedText(), "first row\nsecond");
    view.SetSelect(false);
    Mouse(view, QEvent::MouseButtonPress, area.topLeft() + QPoint(1, 1));
    EXPECT_EQ(view.SelEnd(), (TBvPos{7, 1})) << "Select off: the mouse leaves the selection alone";
}

TEST(BigView, DoubleClickSelectsAWholeJapaneseCharacter)
{
    TBigView view;
    view.resize(400, 200);
    view.show();
    view.Assign({"日本語 abc_1"});
    const TBvQtMeasurer measurer = MeasurerOf(view);
    const QPoint origin = view.TextArea().topLeft() + QPoint(TBvGeometry::LeftMargin, 2);
    Mouse(view, QEvent::MouseButtonDblClick, origin + QPoint(measurer.RunWidth("日本") + 2, 0));
    EXPECT_EQ(view.SelectedText(), "語");
    Mouse(view, QEvent::MouseButtonDblClick, origin + QPoint(measurer.RunWidth("日本語 ab") + 1, 0));
    EXPECT_EQ(view.SelectedText(), "abc_1");
}

TEST(BigView, FrameDragsMoveAndResizeOnlyAsTheStyleAllows)
{
    QWidget parent;
    parent.resize(600, 400);
    auto *view = new TBigView(&parent);
    view->setGeometry(50, 50, 200, 100);
    parent.show();
    view->SetBvStyle(TBvStyleFlag::bvMove);
    const QPoint inside(40, 40);
    Mouse(*view, QEvent::MouseButtonPress, inside, Qt::ControlModifier);
    Mouse(*view, QEvent::MouseMove, inside + QPoint(30, 10), Qt::ControlModifier);
    Mouse(*view, QEvent::MouseButtonRelease, inside + QPoint(30, 10), Qt::ControlModifier);
    EXPECT_EQ(view->pos(), QPoint(80, 60));

    view->SetBvStyle(TBvStyleFlag::bvHResize);
    const QPoint rightEdge(view->width() - 2, 50);
    Mouse(*view, QEvent::MouseButtonPress, rightEdge);
    Mouse(*view, QEvent::MouseMove, rightEdge + QPoint(20, 0));
    Mouse(*view, QEvent::MouseButtonRelease, rightEdge + QPoint(20, 0));
    EXPECT_EQ(view->size(), QSize(220, 100));
    const QPoint bottomEdge(50, view->height() - 2);  // not resizable upright
    Mouse(*view, QEvent::MouseButtonPress, bottomEdge);
    Mouse(*view, QEvent::MouseMove, bottomEdge + QPoint(0, 20));
    Mouse(*view, QEvent::MouseButtonRelease, bottomEdge + QPoint(0, 20));
    EXPECT_EQ(view->size(), QSize(220, 100));
}

TEST(BigView, PutLineThatShortensTheLastLine)
{
    TBigView view;
    view.SetWrapByte(4);
    view.Assign({"abcdef"});
    view.PutLine(1, "");
    EXPECT_EQ(view.LineCount(), 1);
    EXPECT_EQ(view.GetLine(0), "abcd");
    EXPECT_THROW(view.PutLine(1, "x"), EBvListError);
}

TEST(BigView, DragEventsLetTheOwnerDecide)
{
    // Delivered straight to the widget: outside a real drag the application
    // does not route drag events.
    TBigView view;
    QObject &target = view;
    QMimeData data;
    data.setText("x");
    QDragMoveEvent refused(QPoint(5, 6), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    target.event(&refused);
    EXPECT_FALSE(refused.isAccepted());

    QPoint seen;
    view.OnDragOver = [&seen](TBigView &, QObject *, int x, int y, bool &accept) {
        seen = QPoint(x, y);
        accept = true;
    };
    bool dropped = false;
    view.OnDragDrop = [&dropped](TBigView &, QObject *, int, int) { dropped = true; };
    QDragMoveEvent accepted(QPoint(5, 6), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    target.event(&accepted);
    EXPECT_TRUE(accepted.isAccepted());
    EXPECT_EQ(seen, QPoint(5, 6));
    QDropEvent drop(QPointF(5, 6), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    target.event(&drop);
    EXPECT_TRUE(dropped);
}

TEST(BigView, IndexAndFileErrorsPropagateAndKeepTheLines)
{
    TBigView view;
    view.AddLine("a");
    EXPECT_THROW(view.GetLine(3), EBvListError);
    EXPECT_THROW(view.Delete(-1), EBvListError);
    EXPECT_THROW(view.LoadFromFile("/nonexistent/zurivo/bigview.txt"), EBvInOutError);
    EXPECT_EQ(view.LineCount(), 1);
    EXPECT_EQ(view.GetLine(0), "a");
}

TEST(BigView, StreamsRoundTripTheLogicalLines)
{
    TBigView view;
    view.SetWrapByte(2);
    std::istringstream in("abcd\r\nef");
    view.LoadFromStream(in);
    EXPECT_EQ(view.LineCount(), 3);
    EXPECT_EQ(view.LogicalLineCount(), 2);
    std::ostringstream out;
    view.SaveToStream(out);
    EXPECT_EQ(out.str(), "abcd\r\nef\r\n");
}

}  // namespace
}  // namespace zr
