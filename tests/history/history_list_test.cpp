#include "history/history_list.h"
#include "history/history_menu_layout.h"

#include <gtest/gtest.h>

namespace zr {
namespace {

THistoryMenuOptions Shown(int historyNum)
{
    THistoryMenuOptions options;
    options.historyNum = historyNum;
    return options;
}

THistoryList ListOf(int count, const std::string &stem = "/arc/f")
{
    THistoryList list;
    for (int i = count - 1; i >= 0; --i)
        list.Add(stem + std::to_string(i));
    return list;
}

std::vector<std::string> Captions(const std::vector<THistoryMenuItem> &items)
{
    std::vector<std::string> captions;
    for (const THistoryMenuItem &item : items)
        captions.push_back(item.caption);
    return captions;
}

TEST(HistoryList, AddingAnotherSpellingMovesTheStoredOneToTheTop)
{
    THistoryList list;
    EXPECT_EQ(list.Add("/Work/a.lzh"), 0);
    list.Add("/work/b.lzh");
    EXPECT_EQ(list.Add("/work/A.LZH"), 0);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list[0], "/Work/a.lzh");
    EXPECT_EQ(list[1], "/work/b.lzh");
}

TEST(HistoryList, KeepsTheNewestThirtyTwo)
{
    THistoryList list = ListOf(40);
    ASSERT_EQ(list.Count(), 32);
    EXPECT_EQ(list[0], "/arc/f0");
    EXPECT_EQ(list[31], "/arc/f31");
    list.Add("/arc/f39");  // already dropped: comes back on top, the oldest goes
    EXPECT_EQ(list[0], "/arc/f39");
    EXPECT_EQ(list.IndexOf("/arc/f31"), -1);
}

TEST(HistoryMenuLayout, UpToTenEntriesFillAFieldOfThree)
{
    const THistoryMenuLayout layout = BuildHistoryMenuLayout(ListOf(10), nullptr, Shown(10));
    ASSERT_TRUE(layout.enabled);
    ASSERT_EQ(layout.items.size(), 12u);
    EXPECT_EQ(layout.items[0].caption, "&0 /arc/f0");
    EXPECT_EQ(layout.items[9].caption, "&9 /arc/f9");
    EXPECT_EQ(layout.items[9].tag, 9);
    EXPECT_EQ(layout.items[10].kind, THistoryMenuItemKind::Separator);
    EXPECT_EQ(layout.items[11].kind, THistoryMenuItemKind::ClearCommand);
    EXPECT_EQ(layout.items[11].caption, "&D 履歴を削除");
}

TEST(HistoryMenuLayout, ElevenOrMoreEntriesAlignInAFieldOfFour)
{
    const THistoryMenuLayout layout = BuildHistoryMenuLayout(ListOf(32), nullptr, Shown(32));
    EXPECT_EQ(layout.items[0].caption, " &0 /arc/f0");
    EXPECT_EQ(layout.items[31].caption, "&31 /arc/f31");
    EXPECT_EQ(layout.items.back().caption, " &D 履歴を削除");
    // HistoryNum decides how many are shown, and so the width.
    const THistoryMenuLayout shortLayout = BuildHistoryMenuLayout(ListOf(32), nullptr, Shown(10));
    EXPECT_EQ(shortLayout.items.size(), 12u);
    EXPECT_EQ(shortLayout.items[0].caption, "&0 /arc/f0");
}

TEST(HistoryMenuLayout, FolderSubMenuHasItsOwnWidthAndTags)
{
    THistoryList folders = ListOf(11, "/dir");
    const THistoryMenuLayout layout = BuildHistoryMenuLayout(ListOf(2), &folders, Shown(20));
    ASSERT_EQ(Captions(layout.items),
              (std::vector<std::string>{"&0 /arc/f0", "&1 /arc/f1", "-", "   フォルダで開く(&P)", "-",
                                        "&D 履歴を削除"}));
    const THistoryMenuItem &folderMenu = layout.items[3];
    ASSERT_EQ(folderMenu.children.size(), 11u);
    EXPECT_EQ(folderMenu.children[0].caption, " &0 /dir0");
    EXPECT_EQ(folderMenu.children[10].tag, 110);
}

TEST(HistoryMenuLayout, NothingToShowDisablesTheTarget)
{
    THistoryList empty;
    EXPECT_FALSE(BuildHistoryMenuLayout(empty, &empty, Shown(8)).enabled);
    const THistoryMenuLayout zero = BuildHistoryMenuLayout(ListOf(3), nullptr, Shown(0));
    EXPECT_FALSE(zero.enabled);
    EXPECT_TRUE(zero.items.empty());
}

TEST(HistoryMenuLayout, EntriesBelowTheBasePathAreShownWithoutIt)
{
    EXPECT_EQ(RelativeToBase("/Data/Arc/x.lzh", "/data/"), "Arc/x.lzh");
    EXPECT_EQ(RelativeToBase("/other/x.lzh", "/data/"), "/other/x.lzh");
    EXPECT_EQ(RelativeToBase("/da", "/data/"), "/da");
    // The cut at 260 bytes never splits a character.
    const std::string longName = "/b/" + std::string(258, 'x') + "あい";
    const std::string shown = RelativeToBase(longName, "/b/");
    EXPECT_EQ(shown, std::string(258, 'x'));
}

TEST(HistoryMenuLayout, AmpersandsInEntriesStayText)
{
    THistoryList files, folders;
    files.Add("/data/R&D/x.lzh");
    folders.Add("/data/R&D");
    const THistoryMenuLayout layout = BuildHistoryMenuLayout(files, &folders, Shown(8));
    EXPECT_EQ(layout.items[0].caption, "&0 /data/R&&D/x.lzh");
    EXPECT_EQ(layout.items[2].children[0].caption, "&0 /data/R&&D");
}

}  // namespace
}  // namespace zr
