// The rules behind the hit actions, without the window: viewer command
// lines, the ZiZiv list file and command line, copy and move with their
// dialogs replaced, and the settings values.
#include "app/copy_move_action.h"
#include "app/settings_values.h"
#include "app/viewer_command.h"
#include "app/zizv_launch.h"
#include "app_test_support.h"
#include "fileop/file_operator.h"
#include "platform/command_line.h"
#include "test_support/temp_env.h"
#include "util/cap_guard.h"
#include "util/settings_store.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace zr {
namespace {

using platform::SplitCommandLine;
using Args = std::vector<std::string>;

TEST(ViewerCommand, EachKnownViewerGetsItsLineJump)
{
    const std::string f = "/w/readme.txt";
    EXPECT_EQ(ViewerCommandLine("/opt/bin/hidemaru.exe", f, 12), "/opt/bin/hidemaru.exe /j12 /w/readme.txt");
    EXPECT_EQ(ViewerCommandLine("HideMaru.EXE", f, 3), "HideMaru.EXE /j3 /w/readme.txt");
    EXPECT_EQ(SplitCommandLine(ViewerCommandLine("/usr/bin/vim", f, 7)), (Args{"/usr/bin/vim", "+7", f}));
    for (const char *plus : {"nvim", "vi", "emacs", "nano", "micro", "gedit", "gnome-text-editor"})
        EXPECT_EQ(SplitCommandLine(ViewerCommandLine(plus, f, 2)), (Args{plus, "+2", f})) << plus;
    EXPECT_EQ(SplitCommandLine(ViewerCommandLine("kate", f, 9)), (Args{"kate", "--line", "9", f}));
    EXPECT_EQ(SplitCommandLine(ViewerCommandLine("/usr/bin/mousepad", f, 9)),
              (Args{"/usr/bin/mousepad", "--line", "9", f}));
    EXPECT_EQ(SplitCommandLine(ViewerCommandLine("code", f, 40)), (Args{"code", "-g", f + ":40"}));
    // Unknown programs and the default opener get the file only.
    EXPECT_EQ(ViewerCommandLine("notepad.exe", f, 5), "notepad.exe /w/readme.txt");
    EXPECT_EQ(ViewerCommandLine("vimx", f, 5), "vimx /w/readme.txt");
    EXPECT_EQ(ViewerCommandLine(kDefaultViewer, f, 5), "xdg-open /w/readme.txt");
}

TEST(ViewerCommand, LineZeroJumpsNowhere)
{
    EXPECT_EQ(ViewerCommandLine("hidemaru.exe", "/w/a.txt", 0), "hidemaru.exe /w/a.txt");
    EXPECT_EQ(ViewerCommandLine("vim", "/w/a.txt", 0), "vim /w/a.txt");
    EXPECT_EQ(ViewerCommandLine("code", "/w/a.txt", 0), "code /w/a.txt");
}

TEST(ViewerCommand, BlanksAndQuotesInPathsStayOneArgument)
{
    EXPECT_EQ(ViewerCommandLine("/opt/Hide Maru/hidemaru.exe", "/w x/read me.txt", 4),
              "\"/opt/Hide Maru/hidemaru.exe\" /j4 \"/w x/read me.txt\"");
    EXPECT_EQ(SplitCommandLine(ViewerCommandLine("/my tools/vim", "/w/read me.txt", 4)),
              (Args{"/my tools/vim", "+4", "/w/read me.txt"}));
    // A stored name from a hostile archive cannot smuggle in options.
    const std::string evil = "/w/x\" --cmd \"!touch pwned\" y.txt";
    EXPECT_EQ(SplitCommandLine(ViewerCommandLine("vim", evil, 1)), (Args{"vim", "+1", evil}));
    EXPECT_EQ(SplitCommandLine(ViewerCommandLine("code", evil, 1)), (Args{"code", "-g", evil + ":1"}));
}

TEST(ViewerCommand, SettingsSelectTheProgramOnlyWithViewerOne)
{
    testing::TempRegistry registry;
    EXPECT_EQ(ViewerProgram(TViewerSettings::FromRegistry()), "xdg-open");
    WriteSettingString("Archive\\Viewer\\Text", "Program", "/usr/bin/gedit");
    EXPECT_EQ(ViewerProgram(TViewerSettings::FromRegistry()), "xdg-open");
    WriteSettingInteger("Archive\\Viewer\\Text", "Viewer", 1);
    EXPECT_EQ(ViewerProgram(TViewerSettings::FromRegistry()), "/usr/bin/gedit");
    WriteSettingString("Archive\\Viewer\\Text", "Program", "");
    EXPECT_EQ(ViewerProgram(TViewerSettings::FromRegistry()), "xdg-open");
}

TEST(ZiZivLaunch, ListFileHoldsOnePathALineWithCrLfAndIsLeftInPlace)
{
    zr::test::ScratchFolder folder;
    const std::string longPath = "/d/" + std::string(300, 'x') + ".zip";
    const auto file =
        WriteArchiveListFile({"/d/a b.zip", longPath, "/d/bad\nname.zip", "/d/c.lzh"}, folder.Path());
    ASSERT_TRUE(file);
    EXPECT_EQ(std::filesystem::path(*file).parent_path(), folder.Path());
    EXPECT_EQ(std::filesystem::path(*file).filename().string().substr(0, 3), "ZRW");
    // Whole paths, even past 260 bytes; a name with a line break cannot be a line.
    EXPECT_EQ(testing::ReadFileBytes(*file), "/d/a b.zip\r\n" + longPath + "\r\n/d/c.lzh\r\n");
    const auto second = WriteArchiveListFile({"/d/a.zip"}, folder.Path());
    ASSERT_TRUE(second);
    EXPECT_NE(*second, *file);
    EXPECT_FALSE(WriteArchiveListFile({"/d/a.zip"}, folder / "missing"));
}

TEST(ZiZivLaunch, CommandLineAndLookUpWithAndWithoutExe)
{
    EXPECT_EQ(ZiZivCommandLine("/opt/z/ZiZiv.exe", "/tmp/ZRW1"),
              "/opt/z/ZiZiv.exe /Da Grep! @/tmp/ZRW1 /Send");
    EXPECT_EQ(SplitCommandLine(ZiZivCommandLine("/o p/ZiZiv", "/t m/ZRW1")),
              (Args{"/o p/ZiZiv", "/Da", "Grep!", "@/t m/ZRW1", "/Send"}));
    EXPECT_EQ(ZiZivActionHint(true), "検索結果の書庫をZiZivで開きます");
    EXPECT_NE(ZiZivActionHint(false).find("見つかりません"), std::string::npos);

    zr::test::ScratchFolder bin;
    const std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    ::setenv("PATH", bin.Path().c_str(), 1);
    EXPECT_EQ(FindZiZiv(), "");
    bin.Write("ZiZiv", "#!/bin/sh\n");
    std::filesystem::permissions(bin / "ZiZiv", std::filesystem::perms::owner_all);
    EXPECT_EQ(FindZiZiv(), bin / "ZiZiv");
    bin.Write("ZiZiv.exe", "#!/bin/sh\n");
    std::filesystem::permissions(bin / "ZiZiv.exe", std::filesystem::perms::owner_all);
    EXPECT_EQ(FindZiZiv(), bin / "ZiZiv.exe");
    ::setenv("PATH", oldPath.c_str(), 1);
}

TEST(CopyMoveTexts, PickerLinesListAndMessages)
{
    const TFolderPickerTexts one = CopyMovePickerTexts(TCopyMoveKind::cmCopy, {"/d/a.zip"}, 1536);
    EXPECT_EQ(one.caption, "複写先のフォルダを選択");
    EXPECT_EQ(one.line1, "書庫名：a.zip");
    EXPECT_EQ(one.line2, "サイズ：1.50 KB (1,536 バイト)");
    const TFolderPickerTexts three =
        CopyMovePickerTexts(TCopyMoveKind::cmMove, {"/d/a.zip", "/d/b.zip", "/e/c.lzh"}, 0);
    EXPECT_EQ(three.caption, "移動先のフォルダを選択");
    EXPECT_EQ(three.line1, "書庫名：a.zip...3 files");
    EXPECT_EQ(SourceCommaList({"/d/a.zip", "/d/b c.zip"}), "/d/a.zip,/d/b c.zip,");
    EXPECT_EQ(DestinationCommaList("/dest/"), "/dest,");
    EXPECT_EQ(DriveNotReadyText("/mnt/x"), "フォルダ：/mnt/x\r\nドライブの準備ができていません。");
}

// Copy and move with the dialogs replaced: every call recorded.
class CopyMoveTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testing::App();
        a = source.Write("a.zip", std::string(100, 'a'));
        b = source.Write("sub/b.lzh", std::string(50, 'b'));
        dialogs.pickFolder = [this](const TFolderPickerTexts &texts) {
            picked.push_back(texts);
            return answer;
        };
        dialogs.driveReady = [this](const std::string &) { return readyAfter-- <= 0; };
        dialogs.askRetry = [this](const std::string &text) {
            asked.push_back(text);
            return retry;
        };
        dialogs.execute = [](TFileOperator &op) {
            op.Hooks().reportError = [](const std::string &) {};
            op.SetFlags(op.Flags() | foSilent);
            return op.Execute();
        };
        dialogs.inform = [this](const std::string &text) { informed.push_back(text); };
        dialogs.warn = [this](const std::string &text) { warned.push_back(text); };
    }

    zr::test::ScratchFolder source, target;
    std::string a, b;
    TCopyMoveDialogs dialogs;
    std::optional<std::string> answer;
    int readyAfter = 0;
    bool retry = true;
    std::vector<TFolderPickerTexts> picked;
    std::vector<std::string> asked, informed, warned;
};

TEST_F(CopyMoveTest, MoveTakesTheFilesAwayAndCancelDoesNothing)
{
    EXPECT_FALSE(CopyOrMoveArchives(TCopyMoveKind::cmMove, {a}, std::nullopt, nullptr, dialogs));
    EXPECT_TRUE(std::filesystem::exists(a));
    EXPECT_TRUE(informed.empty());
    EXPECT_FALSE(CopyOrMoveArchives(TCopyMoveKind::cmMove, {}, std::nullopt, nullptr, dialogs));
    EXPECT_EQ(picked.size(), 1u);  // no archives: no picker

    answer = target.Path();
    EXPECT_TRUE(CopyOrMoveArchives(TCopyMoveKind::cmMove, {a}, std::nullopt, nullptr, dialogs));
    EXPECT_FALSE(std::filesystem::exists(a));
    EXPECT_TRUE(std::filesystem::exists(target / "a.zip"));
    EXPECT_EQ(informed, (Args{"移動 は完了しました。"}));
}

TEST_F(CopyMoveTest, DriveNotReadyRetriesUntilReadyOrCancel)
{
    readyAfter = 2;
    EXPECT_TRUE(CopyOrMoveArchives(TCopyMoveKind::cmCopy, {a}, target.Path(), nullptr, dialogs));
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0], DriveNotReadyText(target.Path()));
    EXPECT_TRUE(picked.empty());  // a given destination needs no picker

    asked.clear();
    readyAfter = 5;
    retry = false;
    EXPECT_FALSE(CopyOrMoveArchives(TCopyMoveKind::cmCopy, {b}, target / "x", nullptr, dialogs));
    EXPECT_EQ(asked.size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(target / "x"));
}

TEST_F(CopyMoveTest, ReadOnlyDestinationAndVanishedArchiveFailWithoutCompletion)
{
    std::filesystem::create_directory(target / "ro");
    std::filesystem::permissions(target / "ro",
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    {
        test::ScopedPermissionChecks checks;
        if (checks.Active()) {
            EXPECT_FALSE(CopyOrMoveArchives(TCopyMoveKind::cmCopy, {a}, target / "ro", nullptr, dialogs));
            EXPECT_FALSE(std::filesystem::exists(target / "ro/a.zip"));
            EXPECT_FALSE(CopyOrMoveArchives(TCopyMoveKind::cmMove, {b}, target / "ro", nullptr, dialogs));
            EXPECT_TRUE(std::filesystem::exists(b));  // a failed move keeps the source
        }
    }
    std::filesystem::remove(a);
    EXPECT_FALSE(CopyOrMoveArchives(TCopyMoveKind::cmCopy, {a}, target.Path(), nullptr, dialogs));
    EXPECT_TRUE(informed.empty());
}

TEST_F(CopyMoveTest, ACommaInANameIsRefusedInsteadOfSplitting)
{
    const std::string comma = source.Write("x,y.zip", "c");
    source.Write("x", "must not be copied");
    answer = target.Path();
    EXPECT_FALSE(CopyOrMoveArchives(TCopyMoveKind::cmCopy, {a, comma}, std::nullopt, nullptr, dialogs));
    EXPECT_FALSE(CopyOrMoveArchives(TCopyMoveKind::cmCopy, {a}, target / "p,q", nullptr, dialogs));
    EXPECT_EQ(warned.size(), 2u);
    EXPECT_TRUE(std::filesystem::is_empty(target.Path()));
}

TEST(SettingsValues, AValueOfTheWrongTypeReadsAsItsDefault)
{
    testing::TempRegistry registry;
    WriteSettingString("Archive", "LogSize", "lots");
    WriteSettingString("Archive\\Viewer\\Text", "Viewer", "one");
    const TSettingsValues values = TSettingsValues::FromRegistry();
    EXPECT_EQ(values.logSizeKb, 1024);
    EXPECT_FALSE(values.viewer.useProgram);
}

TEST(SettingsValues, ProblemsThatKeepTheDialogOpen)
{
    TSettingsValues v;
    EXPECT_EQ(SettingsProblem(v), "");
    v.workPath = "/no/such/folder";
    EXPECT_NE(SettingsProblem(v).find("作業フォルダ"), std::string::npos);
    v.workPath.clear();
    v.logSizeKb = 0;
    EXPECT_NE(SettingsProblem(v), "");
    v.logSizeKb = 1024;
    v.viewer.useProgram = true;
    EXPECT_NE(SettingsProblem(v), "");
}

}  // namespace
}  // namespace zr
