// Condition files, archive sets and the filter table from the main window,
// with the file and filter dialogs replaced.

#include "app_test_support.h"
#include "app/file_dialog_request.h"
#include "app/filter_table.h"
#include "app/grep_form.h"
#include "app/options_panel.h"
#include "app/pattern_combo_box.h"
#include "history/history_combo_box.h"
#include "search/condition_file.h"
#include "test_support/temp_env.h"
#include "util/settings_store.h"

#include <QAction>
#include <QCheckBox>
#include <QMenu>
#include <filesystem>
#include <gtest/gtest.h>

namespace zr {
namespace {

using testing::ReadFileBytes;
using testing::WriteFileBytes;

class ConditionFilesWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testing::App();
        WriteSettingString("Setting", "WorkPath", scratch.Path());
        form = std::make_unique<TGrepForm>();
        form->show();
        QApplication::processEvents();
        // Every file dialog answers with the next chosen file and records what it was asked.
        form->Dialogs().pickFile = [this](QWidget *, const TFileDialogRequest &request) {
            requests.push_back(request);
            std::optional<std::string> answer = answers.empty() ? std::nullopt : answers.front();
            if (!answers.empty())
                answers.erase(answers.begin());
            return answer;
        };
    }

    // A finished run whose hits lie in the given archives, in this order.
    void FinishRunWithHits(const std::vector<std::string> &archives)
    {
        form->SetRunJobFactory([archives](const search::SearchConditions &, const search::RunOptions &) {
            return [archives](std::stop_token, search::RunSink &sink) {
                sink.OnArchivesFound(static_cast<int>(archives.size()), "");
                int line = 1;
                for (const std::string &archive : archives) {
                    sink.OnHit({archive, "a.txt", line++, "needle"});
                    sink.OnHit({archive, "b.txt", line++, "needle"});
                }
                sink.OnFinished(search::RunSummary{});
            };
        });
        form->HisPath()->PushText(scratch.Path());
        form->HisPath()->setCurrentIndex(0);
        form->HisChar()->setEditText("needle");
        form->StartSearch();
        form->WaitForRun();
    }

    testing::TempRegistry registry;
    test::ScratchFolder scratch;
    std::shared_ptr<testing::RecordingPresenter> presenter = std::make_shared<testing::RecordingPresenter>();
    ScopedMessageBoxPresenter scopedPresenter{presenter};
    std::unique_ptr<TGrepForm> form;
    std::vector<TFileDialogRequest> requests;
    std::vector<std::optional<std::string>> answers;
};

TEST_F(ConditionFilesWindowTest, SavingAsksWithTheProposedNameAndWritesTheBoxes)
{
    form->HisChar()->setEditText("a?b:c");
    form->HisName()->setEditText("*.zip");
    form->Options()->chbAlltype->setChecked(false);
    form->Options()->chbZip->setChecked(true);
    const std::string file = scratch.File("saved.ZrSrh");
    answers = {file};
    ASSERT_TRUE(form->Actions().ActF_SaveParm->isEnabled());
    form->Actions().ActF_SaveParm->trigger();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].title, "検索条件を保存");
    EXPECT_EQ(requests[0].kind, TFileDialogRequest::Kind::Save);
    EXPECT_EQ(requests[0].proposedName, "条件=a!b_c");
    EXPECT_EQ(requests[0].defaultExtension, "ZrSrh");
    EXPECT_TRUE(requests[0].overwritePrompt);
    const search::ConditionFileResult read = search::ReadConditionFile(file, search::SearchConditions{});
    ASSERT_TRUE(read.Ok());
    EXPECT_EQ(read.conditions.searchText, "a?b:c");
    EXPECT_EQ(read.conditions.archiveName, "*.zip");
    EXPECT_TRUE(read.conditions.zip);
    EXPECT_FALSE(read.conditions.allTypes);
    EXPECT_TRUE(form->ConditionsChanged());  // saving leaves the flag alone
}

TEST_F(ConditionFilesWindowTest, LoadingFillsTheBoxesRunsTheTypeRuleAndCountsAsAnEdit)
{
    search::SearchConditions saved;
    saved.searchText = "表示";
    saved.archiveName = "abc*.lzh";
    saved.folder = scratch.Path();
    saved.storedFiles = "*.txt;*.doc";
    saved.allTypes = true;
    saved.zip = true;
    saved.subFolders = false;
    const std::string file = scratch.File("in.ZrSrh");
    search::WriteConditionFile(file, saved);
    EXPECT_FALSE(form->ConditionsChanged());
    answers = {file};
    form->Actions().ActF_OpenParam->trigger();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].title, "検索条件を開く");
    EXPECT_EQ(requests[0].filters[0].caption, "条件ファイル(*.ZrSrh)");
    EXPECT_TRUE(requests[0].fileMustExist);
    EXPECT_EQ(form->HisChar()->currentText(), "表示");
    EXPECT_EQ(form->HisName()->currentText(), "abc*.lzh");
    EXPECT_EQ(form->HisItem()->currentText(), "*.txt;*.doc");
    EXPECT_EQ(form->HisPath()->currentText().toStdString(), scratch.Path());
    EXPECT_FALSE(form->Options()->chbSubDir->isChecked());
    // "すべての書庫" keeps the Zip mark on a disabled box.
    EXPECT_TRUE(form->Options()->chbZip->isChecked());
    EXPECT_FALSE(form->Options()->chbZip->isEnabled());
    EXPECT_TRUE(form->ConditionsChanged());
    EXPECT_TRUE(form->Actions().ActF_SaveParm->isEnabled());
}

TEST_F(ConditionFilesWindowTest, CancelNonTextAndSectionlessFilesChangeNothing)
{
    const std::string binary = scratch.Write("bin.ZrSrh", std::string("\x00\x01\x02[Condition]\n", 15));
    const std::string oneSection = scratch.Write("one.ZrSrh", "[Condition]\nChar=abc\n");
    answers = {std::nullopt, binary, oneSection};
    for (int i = 0; i < 3; ++i)
        form->Actions().ActF_OpenParam->trigger();
    EXPECT_EQ(requests.size(), 3u);
    EXPECT_EQ(form->HisChar()->currentText(), "");
    EXPECT_FALSE(form->ConditionsChanged());
    EXPECT_TRUE(presenter->texts.empty());  // ignored without a word
}

TEST_F(ConditionFilesWindowTest, Cp932AndBrokenTextLoadWithoutHarm)
{
    // Written by the Windows program: Shift-JIS "検索" and "書庫".
    const std::string sjis = scratch.Write(
        "sjis.ZrSrh",
        "[Condition]\r\nChar=\x8C\x9F\x8D\xF5\r\nFile=*.lzh\r\nPath=\r\nItem=\x8F\x91\x8C\xC9*.txt\r\n"
        "[Option]\r\nRecurse=1\r\nAllType=1\r\n");
    answers = {sjis};
    form->Actions().ActF_OpenParam->trigger();
    EXPECT_EQ(form->HisChar()->currentText(), "検索");
    EXPECT_EQ(form->HisItem()->currentText(), "書庫*.txt");

    // Valid as neither UTF-8 nor CP932 past the text check's first bytes.
    const std::string broken = scratch.Write(
        "broken.ZrSrh", "[Condition]\nChar=plain text that fills the first fifty bytes...\xFF\xFE\x80\x81\n"
                        "File=\xE3\x81\n[Option]\nAllType=\xFF\n");
    answers = {broken};
    form->Actions().ActF_OpenParam->trigger();
    EXPECT_TRUE(form->HisChar()->currentText().startsWith("plain text"));
    EXPECT_TRUE(form->Options()->chbAlltype->isChecked());  // not a number: the default
}

TEST_F(ConditionFilesWindowTest, AnUnwritableTargetReportsTheError)
{
    // A folder in the chosen file's place cannot be written, even by root.
    const std::string folder = scratch.Path() + "/taken.ZrSrh";
    std::filesystem::create_directories(folder);
    form->HisChar()->setEditText("x");
    answers = {folder};
    form->Actions().ActF_SaveParm->trigger();
    ASSERT_EQ(presenter->texts.size(), 1u);
    EXPECT_EQ(presenter->types[0], mtError);
    EXPECT_TRUE(std::filesystem::is_directory(folder));
}

TEST_F(ConditionFilesWindowTest, ArchiveSetHoldsEachArchiveOnceInRunOrder)
{
    EXPECT_FALSE(form->Actions().ActF_SaveAs->isEnabled());
    FinishRunWithHits({"/data/z.lzh", "/data/a b.zip"});
    ASSERT_EQ(form->RunState(), TRunState::rsFinished);
    ASSERT_TRUE(form->Actions().ActF_SaveAs->isEnabled());
    const std::string file = scratch.File("set.ZrSet");
    WriteFileBytes(file, "old contents that are longer than the new ones, to be overwritten\r\n");
    answers = {file};
    form->Actions().ActF_SaveAs->trigger();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].title, "書庫セットを保存");
    EXPECT_EQ(requests[0].defaultExtension, "SET");
    EXPECT_EQ(requests[0].proposedName, "結果=needle");
    EXPECT_EQ(ReadFileBytes(file), "/data/z.lzh\r\n/data/a b.zip\r\n");
}

TEST_F(ConditionFilesWindowTest, AnEmptyRunSavesNoArchiveSet)
{
    FinishRunWithHits({});
    ASSERT_EQ(form->RunState(), TRunState::rsFinished);
    form->Actions().ActF_SaveAs->trigger();
    EXPECT_TRUE(requests.empty());  // not even asked
}

TEST_F(ConditionFilesWindowTest, FilterPopupAddsTheCurrentPatternAndOpensTheEditor)
{
    // The window gave the empty table its defaults when it was created.
    EXPECT_EQ(LoadFilterTable(kFilterNamesKey, kFilterMasksKey).names.size(), 3u);
    int edits = 0;
    form->Dialogs().editFilters = [&edits](QWidget *) { return ++edits, 2; };
    QMenu *menu = form->FilterMenu();
    form->HisItem()->setEditText("*.TXT;*.DOC;*.1ST;*.LOG");
    emit menu->aboutToShow();
    menu->actions()[0]->trigger();  // already there in other case
    form->HisItem()->setEditText("*.c;*.h");
    emit menu->aboutToShow();
    menu->actions()[0]->trigger();
    emit menu->aboutToShow();
    const QList<QAction *> items = menu->actions();
    ASSERT_EQ(items.size(), 3 + 4);
    EXPECT_EQ(items.last()->text(), "*.c;*.h");
    menu->actions()[1]->trigger();
    EXPECT_EQ(edits, 1);

    // A count gone wild in the store lists no more than ten filters, and
    // choosing one still takes the mask of its own index.
    WriteSettingInteger(kFilterNamesKey, "Count", 1000000);
    WriteSettingString(kFilterNamesKey, "6", "six");
    WriteSettingString(kFilterMasksKey, "6", "*.six");
    emit menu->aboutToShow();
    ASSERT_EQ(menu->actions().size(), 3 + 5);
    menu->actions().last()->trigger();
    EXPECT_EQ(form->HisItem()->currentText(), "*.six");
}

}  // namespace
}  // namespace zr
