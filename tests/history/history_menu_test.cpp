#include "history/history_menu.h"
#include "history/history_store.h"
#include "history_test_env.h"

#include <QAction>
#include <QMenu>

namespace zr {
namespace {

constexpr char kKey[] = "Software\\Quib\\ZiZiv\\history\\Grep\\ArchiveFile";

class HistoryMenuTest : public test::HistoryTest {
protected:
    HistoryMenuTest()
    {
        menu_.SetKeyName(kKey);
        menu_.SetTargetMenuItem(&target_);
        menu_.OnHistorySelected = [this](THistoryMenu *, bool isPath, const std::string &name,
                                         bool &holdAuto) {
            chosen_.push_back((isPath ? "path:" : "file:") + name);
            holdAuto = holdAuto_;
        };
    }

    QStringList Captions() const
    {
        QStringList captions;
        for (QAction *action : target_.actions())
            captions << action->text();
        return captions;
    }

    QMenu target_;
    THistoryMenu menu_;
    std::vector<std::string> chosen_;
    bool holdAuto_ = true;
};

TEST_F(HistoryMenuTest, FilesAndTheirFoldersSurviveARestart)
{
    const std::string a = scratch_.Write("arc/a.lzh"), b = scratch_.Write("arc/sub/b.zip");
    menu_.SetActive(true);
    menu_.AddFile(a);
    menu_.AddFile(b);
    menu_.SetActive(false);
    EXPECT_TRUE(target_.actions().isEmpty());

    THistoryMenu reloaded;
    reloaded.SetKeyName(kKey);
    reloaded.Load();
    EXPECT_EQ(reloaded.HisItems()->Items(), (std::vector<std::string>{b, a}));
    EXPECT_EQ(reloaded.PathItems()->Items(),
              (std::vector<std::string>{scratch_.Path() + "/arc/sub", scratch_.Path() + "/arc"}));
}

TEST_F(HistoryMenuTest, DestroyingAnActiveMenuSavesIt)
{
    {
        QMenu target;
        THistoryMenu menu;
        menu.SetKeyName(kKey);
        menu.SetPathItem(TPathItem::paFileOnly);
        menu.SetTargetMenuItem(&target);
        menu.SetActive(true);
        menu.AddFile("/x/y.lzh");
    }
    THistoryList stored;
    LoadHistoryList(TRootKey::hkCurrentUser, kKey, stored);
    EXPECT_EQ(stored.Items(), std::vector<std::string>{"/x/y.lzh"});
    THistoryList folders;
    LoadHistoryList(TRootKey::hkCurrentUser, std::string(kKey) + "\\Path", folders);
    EXPECT_EQ(folders.Count(), 0);
}

TEST_F(HistoryMenuTest, ActivatingWithoutATargetLoadsButStaysInactive)
{
    THistoryList stored;
    stored.Add("/x/y.lzh");
    SaveHistoryList(TRootKey::hkCurrentUser, kKey, stored);
    THistoryMenu menu;
    menu.SetKeyName(kKey);
    menu.SetActive(true);
    EXPECT_FALSE(menu.Active());
    EXPECT_EQ(menu.HisItems()->Count(), 1);
}

TEST_F(HistoryMenuTest, EntriesInsideTheExcludedFolderAreNeverAdded)
{
    menu_.SetExcludePath(scratch_.Path() + "/work");
    menu_.SetActive(true);
    menu_.AddFile(scratch_.Path() + "/WORK/~GREP(/x.lzh");
    menu_.AddFolder(scratch_.Path() + "/work/sub");
    menu_.AddFile(scratch_.Path() + "/kept.lzh");
    EXPECT_EQ(menu_.HisItems()->Items(), std::vector<std::string>{scratch_.Path() + "/kept.lzh"});
    EXPECT_EQ(menu_.PathItems()->Items(), std::vector<std::string>{scratch_.Path()});
}

TEST_F(HistoryMenuTest, BothListsEmptyDisableTheTarget)
{
    target_.addAction("left over");
    menu_.SetActive(true);
    EXPECT_FALSE(target_.isEnabled());
    EXPECT_TRUE(target_.actions().isEmpty());
    menu_.AddFolder(scratch_.Path());
    EXPECT_TRUE(target_.isEnabled());
    ASSERT_EQ(Captions(), QStringList{"フォルダで開く(&P)"});
}

TEST_F(HistoryMenuTest, RebuildShowsNumberedFilesAndTheClearCommand)
{
    menu_.SetActive(true);
    menu_.SetBasePath(scratch_.Path() + "/");
    menu_.AddFile(scratch_.Path() + "/a.lzh");
    menu_.RebuildMenu();
    EXPECT_EQ(Captions(), (QStringList{"&0 a.lzh", "", "   フォルダで開く(&P)", "", "&D 履歴を削除"}));
}

TEST_F(HistoryMenuTest, ChoosingAVanishedFileRemovesIt)
{
    const std::string kept = scratch_.Write("kept.lzh");
    const std::string gone = scratch_.Write("gone.lzh");
    menu_.SetActive(true);
    menu_.AddFile(gone);
    menu_.AddFile(kept);
    std::filesystem::remove(gone);
    menu_.ChooseEntry(1);
    EXPECT_EQ(chosen_, std::vector<std::string>{"file:" + gone});
    EXPECT_EQ(menu_.HisItems()->Items(), std::vector<std::string>{kept});
}

TEST_F(HistoryMenuTest, ChoosingAnExistingEntryMovesItUpUnlessTheHandlerHoldsIt)
{
    const std::string a = scratch_.Write("a.lzh"), b = scratch_.Write("b.lzh");
    menu_.SetPathItem(TPathItem::paFileOnly);
    menu_.SetActive(true);
    menu_.AddFile(a);
    menu_.AddFile(b);
    holdAuto_ = false;
    std::filesystem::remove(a);
    menu_.ChooseEntry(1);
    EXPECT_EQ(menu_.HisItems()->Items(), (std::vector<std::string>{b, a}));
    holdAuto_ = true;
    scratch_.Write("a.lzh");
    menu_.ChooseEntry(1);
    EXPECT_EQ(menu_.HisItems()->Items(), (std::vector<std::string>{a, b}));
}

TEST_F(HistoryMenuTest, ChoosingAnExistingFileMovesItsFolderUpToo)
{
    const std::string a = scratch_.Write("one/a.lzh"), b = scratch_.Write("two/b.lzh");
    menu_.SetActive(true);
    menu_.AddFile(a);
    menu_.AddFile(b);
    menu_.ChooseEntry(1);
    EXPECT_EQ(menu_.HisItems()->Items(), (std::vector<std::string>{a, b}));
    EXPECT_EQ(menu_.PathItems()->Items(),
              (std::vector<std::string>{scratch_.Path() + "/one", scratch_.Path() + "/two"}));
}

TEST_F(HistoryMenuTest, ChoosingAFolderReportsAPathAndDropsAVanishedOne)
{
    const std::string kept = scratch_.MakeFolder("kept"), gone = scratch_.MakeFolder("gone");
    menu_.SetActive(true);
    menu_.AddFolder(gone);
    menu_.AddFolder(kept);
    std::filesystem::remove(gone);
    menu_.ChooseEntry(kFolderTagBase + 1);
    menu_.ChooseEntry(kFolderTagBase + 0);
    EXPECT_EQ(chosen_, (std::vector<std::string>{"path:" + gone, "path:" + kept}));
    EXPECT_EQ(menu_.PathItems()->Items(), std::vector<std::string>{kept});
}

TEST_F(HistoryMenuTest, AHandlerMayHandTheMenuOtherListsWhileAFolderIsChosen)
{
    const std::string kept = scratch_.MakeFolder("kept");
    THistoryList files, folders;
    menu_.OnHistorySelected = [&](THistoryMenu *sender, bool, const std::string &, bool &) {
        sender->SetLists(&files, &folders);  // frees the lists the menu made itself
    };
    menu_.SetActive(true);
    menu_.AddFolder(kept);
    menu_.ChooseEntry(kFolderTagBase);
    EXPECT_EQ(folders.Items(), std::vector<std::string>{kept});
    menu_.SetLists(nullptr, nullptr);  // files and folders go before the menu
}

TEST_F(HistoryMenuTest, FolderOnlyModeReportsItsEntriesAsPaths)
{
    const std::string gone = scratch_.Path() + "/never";
    menu_.SetPathItem(TPathItem::paPathOnly);
    menu_.SetActive(true);
    menu_.AddFile(gone);
    menu_.ChooseEntry(0);
    EXPECT_EQ(chosen_, std::vector<std::string>{"path:" + gone});
    EXPECT_EQ(menu_.HisItems()->Count(), 0);
}

TEST_F(HistoryMenuTest, ClearingAsksFirstAndKeepsTheFolders)
{
    bool allow = false;
    menu_.OnCanDeleted = [&](THistoryMenu *, bool &canDelete) { canDelete = allow; };
    menu_.SetActive(true);
    menu_.AddFile("/x/a.lzh");
    menu_.ClearHistory();
    EXPECT_EQ(menu_.HisItems()->Count(), 1);
    allow = true;
    menu_.ClearHistory();
    EXPECT_EQ(menu_.HisItems()->Count(), 0);
    EXPECT_EQ(menu_.PathItems()->Count(), 1);
    THistoryList stored;
    LoadHistoryList(TRootKey::hkCurrentUser, kKey, stored);
    EXPECT_EQ(stored.Count(), 0);
}

TEST_F(HistoryMenuTest, ChoosingFromTheRealMenuRunsOnceTheMenuIsDone)
{
    const std::string a = scratch_.Write("a.lzh");
    menu_.SetActive(true);
    menu_.AddFile(a);
    menu_.RebuildMenu();
    target_.actions().front()->trigger();
    EXPECT_TRUE(chosen_.empty());
    QCoreApplication::processEvents();
    EXPECT_EQ(chosen_, std::vector<std::string>{"file:" + a});
}

}  // namespace
}  // namespace zr
