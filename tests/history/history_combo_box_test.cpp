#include "history/history_combo_box.h"
#include "history/history_folder_look.h"
#include "history/history_store.h"
#include "history_test_env.h"

#include "platform/registry.h"

namespace zr {
namespace {

constexpr char kKey[] = "Software\\Quib\\ZiZiv\\history\\Grep\\Char";

using Entries = std::vector<std::string>;

class HistoryComboTest : public test::HistoryTest {
protected:
    HistoryComboTest() { combo_.SetKey(kKey); }

    void Store(const Entries &entries, TRootKey root = TRootKey::hkCurrentUser)
    {
        WriteComboHistory(root, kKey, entries);
    }

    THistoryComboBox combo_;
};

TEST_F(HistoryComboTest, PushingTheFifthEntryMovesItToTheTop)
{
    Store({"a", "b", "c", "d", "e", "f"});
    combo_.LoadHistory(false);
    combo_.PushText("E");
    EXPECT_EQ(combo_.Entries(), (Entries{"E", "a", "b", "c", "d", "f"}));
    EXPECT_EQ(combo_.currentIndex(), 0);
    combo_.PushText("");
    EXPECT_EQ(combo_.count(), 6);
}

TEST_F(HistoryComboTest, PushingCutsToTheMaximumLength)
{
    combo_.SetMaxHistoryLength(3);
    for (const char *text : {"1", "2", "3", "4"})
        combo_.PushText(text);
    EXPECT_EQ(combo_.Entries(), (Entries{"4", "3", "2"}));
}

TEST_F(HistoryComboTest, SaveStoresTheTypedTextOnTopAndLoadKeepsTheTypedText)
{
    Store({"old1", "old2"});
    combo_.LoadHistory(false);
    combo_.setEditText("new");
    combo_.SaveHistory(true);
    EXPECT_EQ(combo_.Text(), "new");

    THistoryComboBox other;
    other.SetKey(kKey);
    other.setEditText("typed");
    other.LoadHistory(false);
    EXPECT_EQ(other.Entries(), (Entries{"new", "old1", "old2"}));
    EXPECT_EQ(other.Text(), "typed");
    other.LoadHistory(true);
    EXPECT_EQ(other.Text(), "new");
}

TEST_F(HistoryComboTest, LoadReadsAtMostTheMaximumAndStopsAtAGap)
{
    Store({"a", "b", "c", "d"});
    combo_.SetMaxHistoryLength(3);
    combo_.LoadHistory(false);
    EXPECT_EQ(combo_.Entries(), (Entries{"a", "b", "c"}));

    Store({"a", "", "c"});
    combo_.LoadHistory(false);
    EXPECT_EQ(combo_.Entries(), Entries{"a"});
}

TEST_F(HistoryComboTest, FolderStyleMergesStoredDuplicates)
{
    Store({"/Data", "/tmp", "/data"});
    combo_.LoadHistory(false);
    EXPECT_EQ(combo_.count(), 3);
    combo_.SetStyle(TComboBoxStyle::csOwnerDrawFixed);
    combo_.LoadHistory(false);
    EXPECT_EQ(combo_.Entries(), (Entries{"/tmp", "/data"}));
}

TEST_F(HistoryComboTest, AKeyWithoutCountFailsWithTheReadErrorAndKeepsTheItems)
{
    combo_.PushText("kept");
    {
        platform::TRegistry registry;
        ASSERT_TRUE(registry.OpenKey(std::string("\\") + kKey, true));
        registry.WriteString("0", "stored");
    }
    try {
        combo_.LoadHistory(false);
        FAIL() << "loading should fail";
    } catch (const platform::ERegistryException &error) {
        EXPECT_STREQ(error.what(), "'Count' の取得に失敗しました");
    }
    EXPECT_EQ(combo_.Entries(), Entries{"kept"});
}

TEST_F(HistoryComboTest, WritingAShorterListLeavesNoOldEntries)
{
    Store({"a", "b", "c"});
    Store({"x"});
    platform::TRegistry registry;
    ASSERT_TRUE(registry.OpenKey(std::string("\\") + kKey, false));
    std::vector<std::string> names = registry.GetValueNames();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (Entries{"0", "Count"}));
    EXPECT_EQ(registry.ReadInteger("Count"), 1);
}

TEST_F(HistoryComboTest, RootKeysKeepSeparateHistories)
{
    Store({"user"});
    Store({"classes"}, TRootKey::hkClassesRoot);
    Store({"dyn"}, TRootKey::hkDynData);  // has no place: not stored
    combo_.SetRootKey(TRootKey::hkClassesRoot);
    combo_.LoadHistory(false);
    EXPECT_EQ(combo_.Entries(), Entries{"classes"});
    combo_.SetRootKey(TRootKey::hkDynData);
    combo_.LoadHistory(false);
    EXPECT_EQ(combo_.count(), 0);
    combo_.SetRootKey(TRootKey::hkCurrentUser);
    combo_.LoadHistory(false);
    EXPECT_EQ(combo_.Entries(), Entries{"user"});
}

TEST_F(HistoryComboTest, FolderLookAsksAboutExistingPathsOnly)
{
    const std::string folder = scratch_.MakeFolder("dir");
    const TFolderEntryLook existing = FolderEntryLook(folder + "/", "/prog");
    EXPECT_EQ(existing.iconSource, folder);
    EXPECT_EQ(existing.text, folder);
    const TFolderEntryLook missing = FolderEntryLook(folder + "/none", "/prog");
    EXPECT_EQ(missing.iconSource, "/prog");
    EXPECT_EQ(missing.text, folder + "/none");
}

}  // namespace
}  // namespace zr
