#include "test_support/temp_env.h"
#include "util/registry_win.h"
#include "util/settings_list.h"
#include "util/settings_store.h"

#include <gtest/gtest.h>

using namespace zr;
using zr::testing::TempRegistry;

TEST(SettingsStore, FreshProfileReadsDefaultsAndCreatesTheBaseKey)
{
    TempRegistry temp;
    EXPECT_FALSE(ReadSettingBool("Setting", "BeepSound", false));
    EXPECT_EQ(ReadSettingString("Dialog\\Filter", "Name", "dflt"), "dflt");
    EXPECT_EQ(ReadSettingInteger("Dialog\\Filter", "Left", -1), -1);

    platform::TRegistry reg;
    EXPECT_TRUE(reg.KeyExists("\\Software\\Quib\\ZiZiv"));
    EXPECT_FALSE(reg.KeyExists("\\Software\\Quib\\ZiZiv\\Setting")) << "reads never create sections";
}

TEST(SettingsStore, WritesCreateNestedSectionsAndReadBackTyped)
{
    TempRegistry temp;
    WriteSettingString("history\\Grep\\FavItem\\Masked", "0", "*.txt");
    WriteSettingInteger("Setting", "BeepSound", 1);
    WriteSettingInteger("Main", "Left", -20);
    EXPECT_EQ(ReadSettingString("HISTORY\\grep\\FavItem\\Masked", "0", ""), "*.txt");
    EXPECT_TRUE(ReadSettingBool("setting", "beepsound", false));
    EXPECT_EQ(ReadSettingInteger("Main", "Left", 0), -20);
}

TEST(SettingsStore, WrongTypeReadsRaiseAndTheAccessorKeepsItsKey)
{
    TempRegistry temp;
    WriteSettingString("Main", "Width", "wide");
    EXPECT_THROW(ReadSettingInteger("Main", "Width", 3), ERegistryException);
    EXPECT_THROW(ReadSettingBool("Main", "Width", true), ERegistryException);

    TWinRegistry reg(kSettingsBaseKey, true);
    EXPECT_THROW(reg.ReadInteger("Main", "Width", 3), ERegistryException);
    EXPECT_EQ(reg.CurrentPath(), kSettingsBaseKey) << "the section is closed even when the read fails";
    EXPECT_EQ(reg.ReadString("Missing\\Section", "x", "d"), "d");
    EXPECT_EQ(reg.CurrentPath(), kSettingsBaseKey);
}

TEST(SettingsStore, ReadOnlyAccessorNeverCreatesOrWrites)
{
    TempRegistry temp;
    WriteSettingInteger("Main", "Top", 5);
    TWinRegistry reg(platform::HKEY_CURRENT_USER, kSettingsBaseKey);
    EXPECT_EQ(reg.ReadInteger("Main", "Top", 0), 5);
    EXPECT_THROW(reg.WriteInteger("Main", "Top", 6), ERegistryException);
    reg.WriteInteger("NewSection", "x", 1);  // cannot be opened: dropped
    EXPECT_FALSE(reg.KeyExists("NewSection"));
    EXPECT_EQ(ReadSettingInteger("Main", "Top", 0), 5);
}

TEST(SettingList, LoadCapsAtMaximumSkipsDuplicatesAndGaps)
{
    TempRegistry temp;
    WriteSettingInteger("history\\Grep\\Char", "Count", 15);
    const char *stored[] = {"a", "A", "", "b", "ｂ", "Ｂ", "c", "d", "e", "f", "g", "h"};
    for (int i = 0; i < 12; ++i)
        WriteSettingString("history\\Grep\\Char", std::to_string(i), stored[i]);

    StringList list{"stale"};
    LoadSettingList("history\\Grep\\Char", 10, &list);
    // Entries 0..9: "A" repeats "a", "Ｂ" repeats the full-width "ｂ", the gap is skipped.
    EXPECT_EQ(list, (StringList{"a", "b", "ｂ", "c", "d", "e", "f"}));

    LoadSettingList("history\\Grep\\Char", 10, nullptr);  // no list: nothing happens
    LoadSettingList("history\\Unknown", 10, &list);
    EXPECT_TRUE(list.empty());
}

TEST(SettingList, SaveWritesCappedCountAndEveryEntry)
{
    TempRegistry temp;
    SaveSettingList("S", 2, {"x", "y", "z"});
    EXPECT_EQ(ReadSettingInteger("S", "Count", 0), 2);
    EXPECT_EQ(ReadSettingString("S", "2", ""), "z");

    SaveSettingList("S", 10, {"only"});
    StringList loaded;
    LoadSettingList("S", 10, &loaded);
    EXPECT_EQ(loaded, StringList{"only"}) << "older, longer lists stay hidden behind the count";
}

TEST(SettingList, PushRecentMovesToTopAndTrims)
{
    StringList list{"a", "b", "c", "Dee", "e"};
    EXPECT_EQ(PushRecent(list, "dEE", 5), 3);
    EXPECT_EQ(list, (StringList{"dEE", "a", "b", "c", "e"})) << "inserted as passed in";

    EXPECT_EQ(PushRecent(list, "new", 3), -1);
    EXPECT_EQ(list, (StringList{"new", "dEE", "a"}));

    StringList wide{"ａｂｃ"};
    EXPECT_EQ(PushRecent(wide, "ＡＢＣ", 10), 0) << "full-width letters compare without case";
    EXPECT_EQ(wide, StringList{"ＡＢＣ"});
    EXPECT_EQ(PushRecent(wide, "Maße", 10), -1);
    EXPECT_EQ(PushRecent(wide, "MASSE", 10), -1) << "\"ß\" is not \"SS\"";
    EXPECT_EQ(PushRecent(wide, "maße", 10), 1);
}
