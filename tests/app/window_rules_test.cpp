// The window's plain rules: action enabling, the result panel per state,
// count texts, path shortening, status bar geometry and placement values.

#include "app/action_enabling.h"
#include "app/action_icons.h"
#include "app/list_sort_cycle.h"
#include "app_test_support.h"
#include "app/path_shortening.h"
#include "app/progress_feed.h"
#include "app/result_panel_layout.h"
#include "app/selection_count_text.h"
#include "app/status_bar_geometry.h"
#include "app/window_placement.h"
#include "test_support/temp_env.h"
#include "util/settings_store.h"

#include <QImage>
#include <gtest/gtest.h>

namespace zr {
namespace {

ActionEnablingInput In(TRunState state, bool changed = false, bool archives = false, bool archiveNode = false,
                       int selected = 0)
{
    return {state, changed, archives, archiveNode, selected};
}

TEST(ActionEnabling, IdleWindowOffersOnlyStartAndOpenUntilAnEdit)
{
    ActionEnabling e = ComputeActionEnabling(In(TRunState::rsIdle));
    EXPECT_TRUE(e.grepStart);
    EXPECT_TRUE(e.openParam);
    EXPECT_FALSE(e.grepStop);
    EXPECT_FALSE(e.newGrep);
    EXPECT_FALSE(e.saveParam);
    EXPECT_FALSE(e.saveAs);
    EXPECT_FALSE(e.view || e.openZiZiv || e.fileCopy || e.fileMove || e.allSelect);

    e = ComputeActionEnabling(In(TRunState::rsIdle, true));
    EXPECT_TRUE(e.newGrep);
    EXPECT_TRUE(e.saveParam);
}

TEST(ActionEnabling, SearchingOffersOnlyStopWhateverElseHolds)
{
    const ActionEnabling e = ComputeActionEnabling(In(TRunState::rsSearching, true, true, true, 1));
    ActionEnabling expected;
    expected.grepStop = true;
    EXPECT_EQ(e, expected);
}

TEST(ActionEnabling, FinishedRunEnablesHitActionsOnlyWithArchives)
{
    ActionEnabling e = ComputeActionEnabling(In(TRunState::rsFinished));
    EXPECT_TRUE(e.saveAs);  // an empty result can still be saved
    EXPECT_FALSE(e.openZiZiv || e.fileCopy || e.fileMove || e.allSelect || e.view);

    e = ComputeActionEnabling(In(TRunState::rsFinished, false, true));
    EXPECT_TRUE(e.openZiZiv && e.fileCopy && e.fileMove && e.allSelect);
    EXPECT_FALSE(e.view);  // the root is selected
    EXPECT_FALSE(e.grepStop);
}

TEST(ActionEnabling, ViewNeedsAnArchiveNodeAndExactlyOneItem)
{
    EXPECT_TRUE(ComputeActionEnabling(In(TRunState::rsFinished, false, true, true, 1)).view);
    EXPECT_FALSE(ComputeActionEnabling(In(TRunState::rsFinished, false, true, true, 0)).view);
    EXPECT_FALSE(ComputeActionEnabling(In(TRunState::rsFinished, false, true, true, 2)).view);
    EXPECT_FALSE(ComputeActionEnabling(In(TRunState::rsFinished, false, true, false, 1)).view);
    EXPECT_FALSE(ComputeActionEnabling(In(TRunState::rsIdle, false, true, true, 1)).view);
}

TEST(ResultPanelLayout, EachStateHasItsHeaderTitleAndParts)
{
    const ResultPanelLayout idle = LayoutForState(TRunState::rsIdle);
    EXPECT_EQ(idle.headerHeight, 37);
    EXPECT_EQ(idle.title, "検索条件を入力してください。");
    EXPECT_FALSE(idle.titleBold);
    EXPECT_FALSE(idle.resultLabelVisible);
    EXPECT_FALSE(idle.resultViewVisible);
    EXPECT_TRUE(idle.clearResults);

    const ResultPanelLayout searching = LayoutForState(TRunState::rsSearching);
    EXPECT_EQ(searching.headerHeight, 120);
    EXPECT_EQ(searching.title, "検索中...");
    EXPECT_TRUE(searching.titleBold);
    EXPECT_TRUE(searching.resultLabelVisible);
    EXPECT_FALSE(searching.resultLabelBold);
    EXPECT_TRUE(searching.resultViewVisible);
    EXPECT_FALSE(searching.clearResults);

    const ResultPanelLayout finished = LayoutForState(TRunState::rsFinished);
    EXPECT_EQ(finished.headerHeight, 85);
    EXPECT_EQ(finished.title, "検索結果");
    EXPECT_TRUE(finished.resultLabelBold);
    EXPECT_FALSE(finished.clearResults);
    EXPECT_FALSE(finished.resultViewScrolls);
}

// Lines past the four conditions (archives that could not be searched) must
// be seen: the header grows a line for each, then the view scrolls.
TEST(ResultPanelLayout, AFinishedViewWithMoreLinesGrowsThenScrolls)
{
    EXPECT_EQ(LayoutForState(TRunState::rsFinished, 4).headerHeight, 85);
    EXPECT_EQ(LayoutForState(TRunState::rsFinished, 6).headerHeight, 85 + 2 * 13);
    const ResultPanelLayout many = LayoutForState(TRunState::rsFinished, 40);
    EXPECT_EQ(many.headerHeight, 85 + (kMostFinishedViewLines - 4) * 13);
    EXPECT_TRUE(many.resultViewScrolls);
    EXPECT_FALSE(LayoutForState(TRunState::rsFinished, kMostFinishedViewLines).resultViewScrolls);
    // Searching keeps its height whatever the view holds.
    EXPECT_EQ(LayoutForState(TRunState::rsSearching, 40).headerHeight, 120);
}

TEST(ResultPanelLayout, ViewWidthFollowsTheHeaderButNeverEndsLeftOf460)
{
    EXPECT_EQ(ResultViewWidth(800, 33), 800 - 10 - 33);
    EXPECT_EQ(ResultViewWidth(300, 33), 460 - 33);
    EXPECT_EQ(ResultViewWidth(470, 33), 460 - 33);
    EXPECT_EQ(ResultViewHeight(85, 26), 85 - 5 - 29);
    EXPECT_EQ(ResultViewHeight(10, 26), 0);
    EXPECT_EQ(ScaledHeight(85, 12), 85);
    EXPECT_EQ(ScaledHeight(85, 26), 170);
}

TEST(SelectionCountText, FourCasesWithGroupedNumbers)
{
    EXPECT_EQ(SelectionCountText(0, 0, TListRows::lrArchives), "0 件の書庫");
    EXPECT_EQ(SelectionCountText(1234, 0, TListRows::lrStoredFiles), "1,234 件の格納ファイル");
    EXPECT_EQ(SelectionCountText(1234, 2, TListRows::lrStoredFiles), "2 件の格納ファイルを選択");
    EXPECT_EQ(SelectionCountText(5, 5, TListRows::lrArchives), "5 件の書庫を選択");
    EXPECT_EQ(SelectionCountText(1234567, 0, TListRows::lrHitLines), "1,234,567 行");
    EXPECT_EQ(SelectionCountText(1234567, 3, TListRows::lrHitLines), "3 行を選択");
}

// One "unit" per byte keeps the widths easy to read.
int ByteWidth(const std::string &s) { return static_cast<int>(s.size()); }

TEST(PathShortening, KeepsHeadAndAsManyTrailingElementsAsFit)
{
    const std::string path = "/home/user/archives/2024/old/sample.lzh";
    EXPECT_EQ(ShortenPathMiddle(path, '/', 100, ByteWidth), path);
    EXPECT_EQ(ShortenPathMiddle(path, '/', 30, ByteWidth), "/.../2024/old/sample.lzh");
    EXPECT_EQ(ShortenPathMiddle(path, '/', 20, ByteWidth), "/.../old/sample.lzh");
    // Even the last element alone is too wide: it is still shown whole.
    EXPECT_EQ(ShortenPathMiddle(path, '/', 5, ByteWidth), "/.../sample.lzh");
}

TEST(PathShortening, RelativeAndShortPathsAndOtherSeparators)
{
    EXPECT_EQ(ShortenPathMiddle("a/b", '/', 1, ByteWidth), "a/b");
    EXPECT_EQ(ShortenPathMiddle("name.zip", '/', 1, ByteWidth), "name.zip");
    EXPECT_EQ(ShortenPathMiddle("data/one/two/three.zip", '/', 18, ByteWidth), "data/.../three.zip");
    EXPECT_EQ(ShortenPathMiddle("C:\\work\\deep\\x.lzh", '\\', 14, ByteWidth), "C:\\...\\x.lzh");
    // Multi-byte names are split at separators only, never inside a character.
    EXPECT_EQ(ShortenPathMiddle("/書庫/とても長い名前のフォルダ/圧縮.lzh", '/', 20, ByteWidth),
              "/.../圧縮.lzh");
}

TEST(StatusBarGeometry, CountPanelIsAThirdAndRunPartsSitBesideIt)
{
    const StatusBarGeometry g = ComputeStatusBarGeometry(900, 24);
    EXPECT_EQ(g.countPanel.width, 300);
    EXPECT_EQ(g.gauge.left, 1);
    EXPECT_EQ(g.gauge.top, 4);
    EXPECT_EQ(g.gauge.width, 298);
    EXPECT_EQ(g.gauge.height, 18);
    EXPECT_EQ(g.runPanel.left, 304);
    EXPECT_EQ(g.runPanel.width, 900 - 300 - 16);
    const StatusBarGeometry tiny = ComputeStatusBarGeometry(3, 2);
    EXPECT_GE(tiny.runPanel.width, 0);
    EXPECT_GE(tiny.gauge.height, 0);
}

TEST(WindowPlacement, StatesBecomeShowCommandsAndBack)
{
    const Rect normal{10, 20, 640, 480};
    const TWindowPlacement p = PlacementFromState(TWindowShowState::wsNormal, normal, false);
    EXPECT_EQ(p.showCmd, kShowNormal);
    EXPECT_EQ(p.right, 650);
    EXPECT_EQ(p.bottom, 500);
    EXPECT_EQ(NormalRect(p), normal);

    const TWindowPlacement minimized = PlacementFromState(TWindowShowState::wsMinimized, normal, false);
    EXPECT_EQ(minimized.showCmd, kShowMinimized);
    EXPECT_EQ(minimized.flags, 0);
    EXPECT_EQ(ShowStateToRestore(minimized), TWindowShowState::wsNormal);

    const TWindowPlacement wasMaximized = PlacementFromState(TWindowShowState::wsMinimized, normal, true);
    EXPECT_EQ(wasMaximized.flags, kRestoreToMaximized);
    EXPECT_EQ(ShowStateToRestore(wasMaximized), TWindowShowState::wsMaximized);
    EXPECT_EQ(ShowStateToRestore(PlacementFromState(TWindowShowState::wsMaximized, normal, false)),
              TWindowShowState::wsMaximized);
}

TEST(WindowPlacement, TenValuesRoundTripAndMissingOnesKeepTheCurrent)
{
    testing::TempRegistry registry;
    TWindowPlacement current = PlacementFromState(TWindowShowState::wsNormal, {1, 2, 300, 400}, false);
    EXPECT_EQ(ReadPlacement("Grep", current), current);

    TWindowPlacement stored = PlacementFromState(TWindowShowState::wsMinimized, {50, 60, 700, 500}, true);
    stored.minPos = {-32000, -32000};
    WritePlacement("Grep", stored);
    EXPECT_EQ(ReadPlacement("Grep", current), stored);
    EXPECT_EQ(ReadSettingInteger("Grep", "PlaceShowCmd", 0), kShowMinimized);
    EXPECT_EQ(ReadSettingInteger("Grep", "PlaceNormalPos.Right", 0), 750);
}

}  // namespace
}  // namespace zr

namespace zr {
namespace {

std::vector<std::string> Numbered(int from, int count)
{
    std::vector<std::string> lines;
    for (int i = from; i < from + count; ++i)
        lines.push_back(std::to_string(i));
    return lines;
}

TEST(ProgressFeed, SmallBatchesAppendWhole)
{
    TProgressFeed feed(3, 10);
    ProgressFeedStep step = feed.Add(Numbered(0, 2));
    EXPECT_FALSE(step.reset);
    EXPECT_EQ(step.lines, Numbered(0, 2));
    step = feed.Add(Numbered(2, 3));
    EXPECT_FALSE(step.reset);
    EXPECT_EQ(step.lines, Numbered(2, 3));
    EXPECT_EQ(feed.ViewLines(), 5u);
}

TEST(ProgressFeed, BigBatchesKeepTheirLatestLinesAndAFullViewIsRefilled)
{
    TProgressFeed feed(3, 10);
    ProgressFeedStep step = feed.Add(Numbered(0, 100));
    EXPECT_FALSE(step.reset);
    EXPECT_EQ(step.lines, Numbered(97, 3));
    for (int i = 0; i < 2; ++i)
        feed.Add(Numbered(100 + 3 * i, 3));
    EXPECT_EQ(feed.ViewLines(), 9u);
    step = feed.Add(Numbered(106, 2));  // 11 would exceed the limit
    EXPECT_TRUE(step.reset);
    EXPECT_EQ(step.lines, (std::vector<std::string>{"105", "106", "107"}));
    EXPECT_EQ(feed.ViewLines(), 3u);
    feed.Clear();
    EXPECT_EQ(feed.ViewLines(), 0u);
    EXPECT_EQ(feed.Add(Numbered(0, 1)).lines, Numbered(0, 1));
}

TEST(ListSortCycle, AscendingDescendingThenRunOrderAndANewColumnStartsOver)
{
    TListSort sort;
    EXPECT_TRUE(sort.RunOrder());
    sort = NextListSort(sort, 2);
    EXPECT_EQ(sort, (TListSort{2, Qt::AscendingOrder}));
    sort = NextListSort(sort, 2);
    EXPECT_EQ(sort, (TListSort{2, Qt::DescendingOrder}));
    EXPECT_EQ(NextListSort(sort, 0), (TListSort{0, Qt::AscendingOrder}));
    EXPECT_TRUE(NextListSort(sort, 2).RunOrder());
}

TEST(ActionIcons, TheTwoSavesDifferAndViewAndZiZivAreInColour)
{
    testing::App();
    EnsureIconTheme();
    const QImage saveAs = ActionIcon(aiSaveAs).pixmap(16, 16).toImage();
    const QImage saveParam = ActionIcon(aiSaveParam).pixmap(16, 16).toImage();
    EXPECT_NE(saveAs, saveParam);
    for (TActionImage image : {aiView, aiOpenZiZiv}) {
        const QImage picture = ActionIcon(image).pixmap(16, 16).toImage();
        int coloured = 0;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x) {
                const QColor c = picture.pixelColor(x, y);
                coloured += c.alpha() > 128 && c.hsvSaturation() > 80;
            }
        EXPECT_GT(coloured, 40) << image;
    }
}

}  // namespace
}  // namespace zr
