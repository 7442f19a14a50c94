// The hit actions through the window after a real search: viewing a hit in
// a stand-in viewer, handing archives to a stand-in ZiZiv, copying and
// moving with the picker replaced, the new-search question and the settings
// dialog. Stand-in programs are shell scripts on a test PATH that write down
// the arguments they were given.
#include "app/grep_form.h"
#include "app/hit_models.h"
#include "app/settings_dialog.h"
#include "history/history_combo_box.h"
#include "app_test_support.h"
#include "archivers/test_archive_writers.h"
#include "test_support/temp_env.h"
#include "util/settings_store.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace zr {
namespace {

using archivers::test::MakeStoredZip;
using testing::PumpUntil;
using Lines = std::vector<std::string>;

// A program that writes its arguments, one a line, to <its folder>/<name>.args
// (and for ZiZiv the list file it was given to ZiZiv.list).
void WriteStandIn(const std::string &path, bool copyList = false)
{
    std::ofstream out(path);
    out << "#!/bin/sh\n"
           "out=\"$0.args\"\n";
    if (copyList)
        out << "cat \"${3#@}\" > \"$0.list\"\n";
    out << "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$out.tmp\"\n"
           "mv \"$out.tmp\" \"$out\"\n";
    out.close();
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
}

Lines ReadLines(const std::string &path)
{
    std::istringstream in(testing::ReadFileBytes(path));
    Lines lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

class HitActionsFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testing::App();
        WriteSettingString("Setting", "WorkPath", scratch.Path());
        oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
        ::setenv("PATH", (bin.Path() + ":" + oldPath).c_str(), 1);
        data = scratch.MakeFolder("data");
        scratch.Write("data/a.zip", MakeStoredZip({{"docs/readme.txt", "one needle\ntwo\nneedle three\n"},
                                                   {"src/x.c", "needle in c\n"}}));
        for (const char *name : {"b", "c", "d", "e"})
            scratch.Write(std::string("data/") + name + ".zip",
                          MakeStoredZip({{std::string(name) + ".txt", "a needle\n"}}));
        form = std::make_unique<TGrepForm>();
        form->show();
        QApplication::processEvents();
        form->HisPath()->PushText(data);
        form->HisPath()->setCurrentIndex(0);
        form->HisChar()->setEditText("needle");
        form->StartSearch();
        form->WaitForRun();
        ASSERT_EQ(form->RunState(), TRunState::rsFinished);
        ASSERT_EQ(form->TreeModel()->ArchiveCount(), 5);
    }
    void TearDown() override
    {
        form.reset();
        ::setenv("PATH", oldPath.c_str(), 1);
    }

    QModelIndex ArchiveNode(const std::string &fileName) const
    {
        const QModelIndex root = form->TreeModel()->RootIndex();
        for (int row = 0; row < form->TreeModel()->rowCount(root); ++row) {
            const QModelIndex node = form->TreeModel()->index(row, 0, root);
            if (form->Hits().At(*form->TreeModel()->ArchiveStart(node)).ArchivePath == data + "/" + fileName)
                return node;
        }
        return {};
    }
    void SelectRows(const std::vector<int> &rows)
    {
        QItemSelectionModel *selection = form->ResultList()->selectionModel();
        selection->clearSelection();
        for (int row : rows)
            selection->select(form->ListModel()->index(row, 0),
                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QApplication::processEvents();
    }
    void OpenArchive(const std::string &fileName)
    {
        form->ArchiveTree()->setCurrentIndex(ArchiveNode(fileName));
        QApplication::processEvents();
    }
    // The list's archives in list order (root shown).
    Lines ListedArchives(const std::vector<int> &rows = {}) const
    {
        Lines out;
        for (int row = 0; row < form->ListModel()->rowCount(); ++row)
            if (rows.empty() || std::find(rows.begin(), rows.end(), row) != rows.end())
                out.push_back(form->ListModel()->Record(row).ArchivePath);
        return out;
    }
    bool WaitForFile(const std::string &path) const
    {
        return PumpUntil([&] { return std::filesystem::exists(path); });
    }
    void UseViewer(const std::string &program)
    {
        WriteSettingInteger("Archive\\Viewer\\Text", "Viewer", 1);
        WriteSettingString("Archive\\Viewer\\Text", "Program", program);
    }

    testing::TempRegistry registry;
    test::ScratchFolder scratch;
    test::ScratchFolder bin;
    std::string oldPath;
    std::string data;
    std::shared_ptr<testing::RecordingPresenter> presenter = std::make_shared<testing::RecordingPresenter>();
    ScopedMessageBoxPresenter scopedPresenter{presenter};
    std::unique_ptr<TGrepForm> form;
};

TEST_F(HitActionsFormTest, ViewExtractsIntoTheWorkFolderAndOpensTheViewerAtTheLine)
{
    WriteStandIn(bin / "vim");
    UseViewer(bin / "vim");
    OpenArchive("a.zip");
    EXPECT_FALSE(form->Actions().ActE_View->isEnabled());  // no list item yet
    // Lines: readme 1, readme 3, x.c 1.
    SelectRows({1});
    ASSERT_TRUE(form->Actions().ActE_View->isEnabled());
    form->Actions().ActE_View->trigger();
    EXPECT_FALSE(form->BusyFlag());
    ASSERT_TRUE(WaitForFile(bin / "vim.args"));
    const std::string target = form->WorkFolder() + "/~VIEWED/readme.txt";
    EXPECT_EQ(ReadLines(bin / "vim.args"), (Lines{"+3", target}));
    EXPECT_EQ(testing::ReadFileBytes(target), "one needle\ntwo\nneedle three\n");
    EXPECT_TRUE(presenter->texts.empty());
    EXPECT_TRUE(form->menuBar()->isEnabled());
}

TEST_F(HitActionsFormTest, DefaultViewerAndStoredFileHitsOpenWithoutALine)
{
    WriteStandIn(bin / "xdg-open");
    OpenArchive("b.zip");
    SelectRows({0});
    form->Actions().ActE_View->trigger();
    ASSERT_TRUE(WaitForFile(bin / "xdg-open.args"));
    EXPECT_EQ(ReadLines(bin / "xdg-open.args"), (Lines{form->WorkFolder() + "/~VIEWED/b.txt"}));
}

TEST_F(HitActionsFormTest, ViewFailuresSpeakOrStaySilent)
{
    UseViewer(bin / "no-such-viewer");
    OpenArchive("a.zip");
    SelectRows({0});
    form->Actions().ActE_View->trigger();
    ASSERT_EQ(presenter->texts.size(), 1u);
    EXPECT_EQ(presenter->texts[0].rfind("ビューアを起動できません。", 0), 0u);

    // The stored file is gone from the archive since the run.
    scratch.Write("data/a.zip", MakeStoredZip({{"other.txt", "x\n"}}));
    form->Actions().ActE_View->trigger();
    ASSERT_EQ(presenter->texts.size(), 2u);
    EXPECT_EQ(presenter->texts[1], "未発見");

    // The archive is no archive any more: the view ends silently.
    scratch.Write("data/a.zip", "garbage");
    form->Actions().ActE_View->trigger();
    EXPECT_EQ(presenter->texts.size(), 2u);
    EXPECT_FALSE(form->BusyFlag());
}

TEST_F(HitActionsFormTest, EscDuringAStalledViewAsksAndStopsIt)
{
    WriteStandIn(bin / "vim");
    UseViewer(bin / "vim");
    // A worker that never answers, like one stuck in a hostile archive.
    const std::string stuck = bin / "stuck-worker";
    bin.Write("stuck-worker", "#!/bin/sh\nexec sleep 60\n");
    std::filesystem::permissions(stuck, std::filesystem::perms::owner_all);
    form->HitActionHooks().viewWorkerProgram = stuck;
    OpenArchive("a.zip");
    SelectRows({0});
    presenter->answers = {mrYes};
    bool busyWhileViewing = false;
    QTimer::singleShot(0, form.get(), [&] {
        busyWhileViewing = form->BusyFlag();
        QTest::keyClick(form.get(), Qt::Key_Escape);
    });
    form->Actions().ActE_View->trigger();
    EXPECT_TRUE(busyWhileViewing);
    EXPECT_EQ(presenter->texts, (Lines{"ZrSearchを中断しますか？", "解凍に失敗しました"}));
    EXPECT_FALSE(form->BusyFlag());
    EXPECT_TRUE(form->menuBar()->isEnabled());
    EXPECT_EQ(form->RunState(), TRunState::rsFinished);
    EXPECT_FALSE(std::filesystem::exists(bin / "vim.args"));
}

TEST_F(HitActionsFormTest, ZiZivGetsAllArchivesTwoOfFiveOrTheOpenArchive)
{
    WriteStandIn(bin / "ZiZiv", true);
    const auto launched = [&] {
        EXPECT_TRUE(WaitForFile(bin / "ZiZiv.list"));
        PumpUntil([&] { return std::filesystem::exists(bin / "ZiZiv.args"); });
        Lines args = ReadLines(bin / "ZiZiv.args");
        std::string list = testing::ReadFileBytes(bin / "ZiZiv.list");
        std::filesystem::remove(bin / "ZiZiv.list");
        std::filesystem::remove(bin / "ZiZiv.args");
        EXPECT_EQ(args.size(), 4u);
        if (args.size() == 4) {
            EXPECT_EQ(args[0], "/Da");
            EXPECT_EQ(args[1], "Grep!");
            EXPECT_EQ(args[2].substr(0, 1), "@");
            EXPECT_EQ(args[3], "/Send");
            EXPECT_TRUE(std::filesystem::exists(args[2].substr(1)));  // left for the receiver
        }
        return list;
    };
    const auto crlf = [](const Lines &paths) {
        std::string text;
        for (const auto &p : paths)
            text += p + "\r\n";
        return text;
    };
    form->UpdateActions();  // as opening a menu does: the hint follows the PATH
    EXPECT_EQ(form->Actions().ActE_OpenZiZiv->statusTip().toStdString(), "検索結果の書庫をZiZivで開きます");

    form->Actions().ActE_OpenZiZiv->trigger();
    EXPECT_EQ(launched(), crlf(ListedArchives()));

    SelectRows({3, 1});
    form->Actions().ActE_OpenZiZiv->trigger();
    EXPECT_EQ(launched(), crlf(ListedArchives({1, 3})));

    OpenArchive("a.zip");
    SelectRows({0, 1, 2});
    form->Actions().ActE_OpenZiZiv->trigger();
    EXPECT_EQ(launched(), crlf({data + "/a.zip"}));
    EXPECT_TRUE(presenter->texts.empty());
}

TEST_F(HitActionsFormTest, MissingZiZivDoesNothingButTheHintSaysSo)
{
    ::setenv("PATH", bin.Path().c_str(), 1);
    form->UpdateActions();
    EXPECT_NE(form->Actions().ActE_OpenZiZiv->statusTip().toStdString().find("見つかりません"),
              std::string::npos);
    form->Actions().ActE_OpenZiZiv->trigger();
    EXPECT_TRUE(presenter->texts.empty());
    EXPECT_EQ(form->RunState(), TRunState::rsFinished);
}

TEST_F(HitActionsFormTest, CopyAndMoveWithThePickerReplacedKeepTheResultsListed)
{
    test::ScratchFolder target;
    std::vector<TFolderPickerTexts> asked;
    form->HitActionHooks().pickCopyFolder = [&](QWidget *, const TFolderPickerTexts &texts) {
        asked.push_back(texts);
        return std::optional<std::string>(target.Path());
    };
    OpenArchive("c.zip");
    form->Actions().ActE_FileCopy->trigger();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].caption, "複写先のフォルダを選択");
    EXPECT_EQ(asked[0].line1, "書庫名：c.zip");
    EXPECT_EQ(asked[0].line2.rfind("サイズ：", 0), 0u);
    EXPECT_TRUE(std::filesystem::exists(target / "c.zip"));
    EXPECT_TRUE(std::filesystem::exists(data + "/c.zip"));
    ASSERT_FALSE(presenter->texts.empty());
    EXPECT_EQ(presenter->texts.back(), "複写 は完了しました。");

    form->SelectTreeRoot();
    SelectRows({0, 4});
    const Lines moved = ListedArchives({0, 4});
    form->Actions().ActE_FileMove->trigger();
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[1].caption, "移動先のフォルダを選択");
    EXPECT_EQ(asked[1].line1,
              "書庫名：" + std::filesystem::path(moved[0]).filename().string() + "...2 files");
    for (const auto &path : moved) {
        EXPECT_FALSE(std::filesystem::exists(path));
        EXPECT_TRUE(std::filesystem::exists(target / std::filesystem::path(path).filename().string()));
    }
    EXPECT_EQ(presenter->texts.back(), "移動 は完了しました。");
    EXPECT_EQ(form->TreeModel()->ArchiveCount(), 5);
    EXPECT_EQ(form->RunState(), TRunState::rsFinished);
}

TEST_F(HitActionsFormTest, NewSearchAsksOnlyInTheFinishedState)
{
    presenter->answers = {mrNo};
    form->Actions().ActF_NewGrep->trigger();
    ASSERT_EQ(presenter->texts.size(), 1u);
    EXPECT_EQ(presenter->texts[0], "現在の検索条件と結果をクリアしますか？");
    EXPECT_EQ(form->RunState(), TRunState::rsFinished);
    EXPECT_EQ(form->HisChar()->currentText().toStdString(), "needle");

    presenter->answers = {mrYes};
    form->Actions().ActF_NewGrep->trigger();
    EXPECT_EQ(form->RunState(), TRunState::rsIdle);
    EXPECT_TRUE(form->HisChar()->currentText().isEmpty());
    EXPECT_EQ(form->TreeModel()->ArchiveCount(), 0);
    EXPECT_FALSE(form->ConditionsChanged());

    form->HisChar()->setEditText("again");
    ASSERT_TRUE(form->Actions().ActF_NewGrep->isEnabled());
    form->Actions().ActF_NewGrep->trigger();
    EXPECT_EQ(presenter->texts.size(), 2u);  // idle: cleared without asking
    EXPECT_TRUE(form->HisChar()->currentText().isEmpty());
}

class SettingsDialogTest : public ::testing::Test {
protected:
    void SetUp() override { testing::App(); }
    testing::TempRegistry registry;
    test::ScratchFolder scratch;
    std::shared_ptr<testing::RecordingPresenter> presenter = std::make_shared<testing::RecordingPresenter>();
    ScopedMessageBoxPresenter scopedPresenter{presenter};
};

TEST_F(SettingsDialogTest, OkWritesTheValuesAndCancelWritesNothing)
{
    {
        TSettingsDialog dialog;
        dialog.SetValues(TSettingsValues::FromRegistry());
        EXPECT_TRUE(dialog.DefaultViewerButton()->isChecked());
        EXPECT_FALSE(dialog.ProgramEdit()->isEnabled());
        dialog.ProgramViewerButton()->setChecked(true);
        EXPECT_TRUE(dialog.ProgramEdit()->isEnabled());
        dialog.pickProgram = [](QWidget *, const std::string &) {
            return std::optional<std::string>("/usr/bin/kate");
        };
        dialog.ProgramButton()->click();
        dialog.LogSizeBox()->setValue(200);
        dialog.reject();
    }
    EXPECT_EQ(ReadSettingString("Archive\\Viewer\\Text", "Program", "unset"), "unset");
    EXPECT_EQ(ReadSettingInteger("Archive", "LogSize", -1), -1);

    TSettingsDialog dialog;
    dialog.SetValues(TSettingsValues::FromRegistry());
    dialog.ProgramViewerButton()->setChecked(true);
    dialog.ProgramEdit()->setText("/usr/bin/kate");
    dialog.WorkPathEdit()->setText(QString::fromStdString(scratch.Path()));
    dialog.SilentModeBox()->setChecked(false);
    dialog.LogSizeBox()->setValue(200);
    dialog.BeepSoundBox()->setChecked(true);
    dialog.FollowLinksBox()->setChecked(true);
    dialog.EncodingBox()->setCurrentIndex(dialog.EncodingBox()->findText("UTF-8"));
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(ReadSettingInteger("Archive\\Viewer\\Text", "Viewer", 0), 1);
    EXPECT_EQ(ReadSettingString("Archive\\Viewer\\Text", "Program", ""), "/usr/bin/kate");
    EXPECT_EQ(ReadSettingString("Setting", "WorkPath", ""), scratch.Path());
    EXPECT_FALSE(ReadSettingBool("Setting", "SilentMode", true));
    EXPECT_EQ(ReadSettingInteger("Archive", "LogSize", 0), 200);
    EXPECT_TRUE(ReadSettingBool("Setting", "BeepSound", false));
    EXPECT_TRUE(ReadSettingBool("Setting", "FollowLinks", false));
    EXPECT_EQ(ReadSettingString("Setting", "TextEncoding", ""), "utf-8");
}

TEST_F(SettingsDialogTest, BadValuesKeepTheDialogOpenAndTheTestButtonStartsTheViewer)
{
    TSettingsDialog dialog;
    dialog.WorkPathEdit()->setText("/no/such/folder");
    dialog.accept();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    ASSERT_EQ(presenter->texts.size(), 1u);
    EXPECT_EQ(ReadSettingString("Setting", "WorkPath", "unset"), "unset");

    std::vector<std::string> started;
    dialog.launch = [&](const std::string &line) {
        started.push_back(line);
        return platform::LaunchResult{line.find("missing") == std::string::npos, 1, "not found"};
    };
    dialog.ProgramViewerButton()->setChecked(true);
    dialog.ProgramEdit()->setText("/usr/bin/vim");
    dialog.TestButton()->click();
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].rfind("/usr/bin/vim +2 ", 0), 0u);
    EXPECT_EQ(presenter->texts.size(), 1u);
    dialog.ProgramEdit()->setText("/opt/missing");
    dialog.TestButton()->click();
    ASSERT_EQ(presenter->texts.size(), 2u);
    EXPECT_EQ(presenter->texts[1].rfind("ビューアを起動できません。", 0), 0u);
}

// Saves the dialog's picture when ZR_SCREENSHOT_DIR names a folder (run by
// hand under Xvfb for the documentation).
TEST_F(SettingsDialogTest, Screenshot)
{
    const char *folder = std::getenv("ZR_SCREENSHOT_DIR");
    if (!folder)
        GTEST_SKIP() << "ZR_SCREENSHOT_DIR not set";
    TSettingsDialog dialog;
    TSettingsValues values;
    values.viewer = {true, "/usr/bin/gedit"};
    dialog.SetValues(values);
    dialog.show();
    PumpUntil([] { return false; }, 300);
    EXPECT_TRUE(dialog.grab().save(QString::fromUtf8(folder) + "/settings-dialog.png"));
}

}  // namespace
}  // namespace zr
