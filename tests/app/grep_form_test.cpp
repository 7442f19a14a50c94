// The main window offscreen: conditions and their edits, the options panel,
// start checks, stopping and closing during a run, the work folder, placement.
// Runs use a stand-in job here; grep_form_search_test.cpp runs the real search.

#include "util/path_names.h"
#include "app/grep_form.h"
#include "app/file_label.h"
#include "app/grep_status_bar.h"
#include "app/hit_models.h"
#include "app/options_panel.h"
#include "app/pattern_combo_box.h"
#include "app_test_support.h"
#include "search/run_texts.h"
#include "test_support/temp_env.h"
#include "util/message_texts.h"
#include "util/settings_store.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QSplitter>
#include <QTest>
#include <QTreeView>
#include <filesystem>
#include <gtest/gtest.h>

namespace zr {
namespace {

using testing::PumpUntil;

class GrepFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testing::App();
        WriteSettingString("Setting", "WorkPath", scratch.Path());
    }

    std::unique_ptr<TGrepForm> ShownForm(TGrepStartOptions options = TGrepStartOptions())
    {
        auto form = std::make_unique<TGrepForm>(options);
        form->show();
        QApplication::processEvents();
        return form;
    }

    void ChooseFolder(TGrepForm &form, const std::string &folder)
    {
        form.HisPath()->PushText(folder);
        form.HisPath()->setCurrentIndex(0);
    }

    // A run that goes on until it is stopped.
    static TGrepForm::RunJobFactory EndlessRun(std::atomic<bool> &started)
    {
        return [&started](const search::SearchConditions &, const search::RunOptions &) {
            return [&started](std::stop_token stop, search::RunSink &sink) {
                sink.OnArchivesFound(3, search::ArchivesFoundLabel(3));
                sink.OnArchiveStarted(0, 3, "/data/a.lzh");
                started = true;
                while (!stop.stop_requested())
                    std::this_thread::sleep_for(std::chrono::milliseconds(2));
                search::RunSummary summary;
                summary.stopped = true;
                summary.resultLabel = search::NoHitLabel(false);
                sink.OnFinished(summary);
            };
        };
    }

    testing::TempRegistry registry;
    test::ScratchFolder scratch;
    std::shared_ptr<testing::RecordingPresenter> presenter = std::make_shared<testing::RecordingPresenter>();
    ScopedMessageBoxPresenter scopedPresenter{presenter};
};

TEST_F(GrepFormTest, OpensIdleWithItsCaptionDefaultsAndNothingChanged)
{
    const std::string charKey = "history\\Grep\\Char";
    WriteSettingInteger(charKey, "Count", 2);
    WriteSettingString(charKey, "0", "abc");
    WriteSettingString(charKey, "1", "def");
    WriteSettingInteger("history\\Grep\\Path", "Count", 1);
    WriteSettingString("history\\Grep\\Path", "0", scratch.Path());
    auto form = ShownForm();
    EXPECT_EQ(form->windowTitle(), "ZuRivo ");
    EXPECT_EQ(form->minimumSize(), QSize(500, 170));
    EXPECT_EQ(form->RunState(), TRunState::rsIdle);
    EXPECT_EQ(form->TitleText(), "検索条件を入力してください。");
    EXPECT_EQ(form->HisChar()->count(), 2);
    EXPECT_EQ(form->HisChar()->currentText(), "");
    EXPECT_EQ(form->HisName()->currentText(), "*.*");
    EXPECT_EQ(form->HisItem()->currentText(), "*.*");
    EXPECT_EQ(form->HisPath()->count(), 1);
    EXPECT_EQ(form->HisPath()->currentIndex(), -1);
    EXPECT_EQ(form->GrepStatusBar()->CountText(), "0 件の書庫");
    // Loading the histories at show time is no edit.
    EXPECT_FALSE(form->ConditionsChanged());
    EXPECT_FALSE(form->Actions().ActF_SaveParm->isEnabled());
    EXPECT_FALSE(form->Actions().ActF_NewGrep->isEnabled());
    EXPECT_TRUE(form->Actions().ActF_GrepStart->isEnabled());
    EXPECT_FALSE(form->Actions().ActF_GrepStop->isEnabled());
    EXPECT_TRUE(form->Actions().ActO_DispLineNo->isChecked());
    EXPECT_FALSE(form->Actions().ActE_Close->isVisible());

    form->HisChar()->setEditText("needle");
    EXPECT_TRUE(form->ConditionsChanged());
    EXPECT_TRUE(form->Actions().ActF_SaveParm->isEnabled());
    EXPECT_TRUE(form->Actions().ActF_NewGrep->isEnabled());
}

TEST_F(GrepFormTest, OptionsPanelFoldsAndTypeSwitchesFollowAllTypes)
{
    auto form = ShownForm();
    TOptionsPanel &options = *form->Options();
    EXPECT_EQ(options.lblOptions->text(), "検索オプション >>");
    EXPECT_FALSE(options.chbSubDir->isVisible());
    options.Toggle();
    EXPECT_EQ(options.lblOptions->text(), "検索オプション <<");
    EXPECT_TRUE(options.chbSubDir->isVisible());
    EXPECT_TRUE(options.chbSubDir->isChecked());
    EXPECT_TRUE(options.chbSfx->isEnabled());
    const auto typeSwitches = {options.chbLha, options.chbZip, options.chbArj,     options.chbCab,
                               options.chbTar, options.chbRar, options.chbSevenZip};
    for (QCheckBox *box : typeSwitches)
        EXPECT_FALSE(box->isEnabled());
    EXPECT_EQ(options.chbSevenZip->text(), "7z書庫");

    options.chbZip->setChecked(true);
    options.chbRar->setChecked(true);
    options.chbSevenZip->setChecked(true);
    options.chbAlltype->click();
    EXPECT_FALSE(options.chbAlltype->isChecked());
    for (QCheckBox *box : typeSwitches)
        EXPECT_TRUE(box->isEnabled());
    // The document switch starts on.
    EXPECT_EQ(options.chbDocuments->text(), "Office/PDF文書");
    EXPECT_TRUE(options.chbDocuments->isEnabled() && options.chbDocuments->isChecked());
    EXPECT_EQ(form->ArchiveNamePatternText(), std::string("*.ZIP;*.RAR;*.7Z;") + search::kDocumentTypes);
    options.chbDocuments->setChecked(false);
    EXPECT_EQ(form->ArchiveNamePatternText(), "*.ZIP;*.RAR;*.7Z");
    options.chbAlltype->click();
    EXPECT_FALSE(options.chbZip->isEnabled());
    EXPECT_FALSE(options.chbDocuments->isEnabled());
    EXPECT_TRUE(options.chbZip->isChecked());  // the check marks stay
    EXPECT_EQ(form->ArchiveNamePatternText(), std::string(search::kAllArchiveTypes) + ";" + search::kDocumentTypes);

    // Clicking the caption toggles it back; a run start closes it too.
    QTest::mouseClick(options.lblOptions, Qt::LeftButton);
    EXPECT_FALSE(options.IsOpen());
}

TEST_F(GrepFormTest, DroppingDownPutsAllFilesOnTopAndKeepsTheText)
{
    auto form = ShownForm();
    form->HisName()->PushText("old.lzh");
    form->HisName()->setEditText("typed.zip");
    form->HisName()->showPopup();
    form->HisName()->hidePopup();
    const std::vector<std::string> entries = form->HisName()->Entries();
    ASSERT_FALSE(entries.empty());
    EXPECT_EQ(entries.front(), "*.*");
    EXPECT_EQ(form->HisName()->currentText(), "typed.zip");
}

TEST_F(GrepFormTest, StartChecksRefuseWithTheirMessages)
{
    std::atomic<bool> started{false};
    auto form = ShownForm();
    form->StartSearch();
    ASSERT_EQ(presenter->texts.size(), 1u);
    EXPECT_EQ(presenter->texts[0], "検索する場所を指定して下さい。");
    EXPECT_EQ(presenter->types[0], mtWarning);
    EXPECT_EQ(form->RunState(), TRunState::rsIdle);
    form->HisPath()->hidePopup();

    ChooseFolder(*form, scratch / "gone");
    form->StartSearch();
    ASSERT_EQ(presenter->texts.size(), 2u);
    EXPECT_EQ(presenter->texts[1], FolderMissingText(scratch / "gone"));

    ChooseFolder(*form, scratch.Path());
    form->HisName()->setEditText("absent.lzh");
    form->StartSearch();
    ASSERT_EQ(presenter->texts.size(), 3u);
    EXPECT_EQ(presenter->texts[2], FileMissingText("absent.lzh"));
    EXPECT_EQ(form->RunState(), TRunState::rsIdle);
    EXPECT_TRUE(form->InputsEnabled());
    // A typed folder is a chosen one: checked like one, and kept in the history.
    form->HisName()->setEditText("*.*");
    form->HisPath()->setCurrentIndex(-1);
    form->HisPath()->setEditText(QString::fromStdString(scratch / "typed-gone"));
    form->StartSearch();
    ASSERT_EQ(presenter->texts.size(), 4u);
    EXPECT_EQ(presenter->texts[3], FolderMissingText(scratch / "typed-gone"));
    form->SetRunJobFactory(EndlessRun(started));
    form->HisPath()->setCurrentIndex(-1);
    form->HisPath()->setEditText(QString::fromStdString(scratch.Path()));
    form->StartSearch();
    EXPECT_EQ(presenter->texts.size(), 4u) << "no message for a typed folder that exists";
    EXPECT_EQ(form->RunState(), TRunState::rsSearching);
    EXPECT_EQ(form->HisPath()->currentIndex(), 0);
    EXPECT_EQ(form->HisPath()->currentText().toStdString(), NormalizeFolderPath(scratch.Path()));
}

TEST_F(GrepFormTest, EscapeWhileBusyAsksTheStopQuestionAndYesStops)
{
    std::atomic<bool> started{false};
    auto form = ShownForm();
    form->SetRunJobFactory(EndlessRun(started));
    ChooseFolder(*form, scratch.Path());
    form->Options()->SetOpen(true);
    form->StartSearch();
    ASSERT_TRUE(PumpUntil([&] { return started.load(); }));
    EXPECT_EQ(form->RunState(), TRunState::rsSearching);
    EXPECT_TRUE(form->BusyFlag());
    EXPECT_FALSE(form->Options()->IsOpen());
    EXPECT_FALSE(form->InputsEnabled());
    EXPECT_TRUE(form->Actions().ActF_GrepStop->isEnabled());
    EXPECT_FALSE(form->Actions().ActF_GrepStart->isEnabled());
    EXPECT_EQ(form->TitleText(), "検索中...");
    EXPECT_TRUE(form->GrepStatusBar()->RunPartsVisible());
    EXPECT_EQ(form->GrepStatusBar()->RunCaption()->text(), "検索中 ...   ");
    ASSERT_TRUE(PumpUntil([&] { return form->ResultLabelText() == "3件の書庫が検索対象です."; }));
    ASSERT_TRUE(PumpUntil([&] { return form->GrepStatusBar()->FileLabel()->Path() == "/data/a.lzh"; }));

    presenter->answers = {mrNo};
    QApplication::setActiveWindow(form.get());
    QTest::keyClick(form.get(), Qt::Key_Escape);
    ASSERT_EQ(presenter->texts.size(), 1u);
    EXPECT_EQ(presenter->texts[0], "ZrSearchを中断しますか？");
    EXPECT_EQ(form->RunState(), TRunState::rsSearching);

    presenter->answers = {mrYes};
    QTest::keyClick(form.get(), Qt::Key_Escape);
    ASSERT_EQ(presenter->texts.size(), 2u);
    EXPECT_EQ(form->RunState(), TRunState::rsFinished);
    EXPECT_FALSE(form->BusyFlag());
    form->WaitForRun();
    EXPECT_TRUE(form->InputsEnabled());
    EXPECT_FALSE(form->GrepStatusBar()->RunPartsVisible());
    EXPECT_EQ(form->ResultLabelText(), "指定の文字を含む書庫は見つかりませんでした。");
    EXPECT_EQ(form->GrepStatusBar()->CountText(), "0 件の書庫");

    // At rest Esc asks whether to quit; No keeps the window.
    presenter->answers = {mrNo};
    QTest::keyClick(form.get(), Qt::Key_Escape);
    ASSERT_EQ(presenter->texts.size(), 3u);
    EXPECT_EQ(presenter->texts[2], "ZuRivoを終了しますか？");
    QApplication::processEvents();
    EXPECT_TRUE(form->isVisible());
}

TEST_F(GrepFormTest, ClosingDuringARunAsksAndNoKeepsTheWindow)
{
    std::atomic<bool> started{false};
    auto form = ShownForm();
    form->SetRunJobFactory(EndlessRun(started));
    ChooseFolder(*form, scratch.Path());
    form->StartSearch();
    ASSERT_TRUE(PumpUntil([&] { return started.load(); }));

    presenter->answers = {mrNo};
    EXPECT_FALSE(form->close());
    EXPECT_EQ(presenter->texts, std::vector<std::string>{"ZrSearchを中断しますか？"});
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->RunState(), TRunState::rsSearching);

    presenter->answers = {mrYes};
    EXPECT_TRUE(form->close());
    EXPECT_FALSE(form->isVisible());
    form->WaitForRun();
    EXPECT_FALSE(form->BusyFlag());
}

TEST_F(GrepFormTest, AFailedRunShowsItsMessageAndLeavesTheWindowUsable)
{
    auto form = ShownForm();
    form->SetRunJobFactory([](const search::SearchConditions &, const search::RunOptions &) {
        return [](std::stop_token, search::RunSink &sink) {
            sink.OnProgressLine("x.lzh ⇒ a.txt ⇒ 1行");
            sink.OnHit({"/d/x.lzh", "a.txt", 1, "abc"});
            search::RunSummary summary;
            summary.errorMessage = "正規表現の構文が正しくありません";
            sink.OnFinished(summary);
        };
    });
    ChooseFolder(*form, scratch.Path());
    form->StartSearch();
    form->WaitForRun();
    ASSERT_EQ(presenter->texts.size(), 1u);
    EXPECT_EQ(presenter->texts[0], "正規表現の構文が正しくありません");
    EXPECT_EQ(presenter->types[0], mtError);
    EXPECT_EQ(form->RunState(), TRunState::rsFinished);
    EXPECT_TRUE(form->InputsEnabled());
    EXPECT_TRUE(form->Actions().ActF_GrepStart->isEnabled());
    EXPECT_EQ(form->Hits().Size(), 1u);  // what was found before the error stays
    EXPECT_EQ(form->TreeModel()->ArchiveCount(), 1);
}

TEST_F(GrepFormTest, FilterPopupListsTheFiltersAndAppliesOne)
{
    WriteSettingInteger("history\\Grep\\FavItem\\Name", "Count", 2);
    WriteSettingString("history\\Grep\\FavItem\\Name", "0", "テキスト");
    WriteSettingString("history\\Grep\\FavItem\\Name", "1", "Cソース");
    WriteSettingInteger("history\\Grep\\FavItem\\Masked", "Count", 2);
    WriteSettingString("history\\Grep\\FavItem\\Masked", "0", "*.txt");
    WriteSettingString("history\\Grep\\FavItem\\Masked", "1", "*.c;*.h");
    auto form = ShownForm();
    QMenu *menu = form->FilterMenu();
    emit menu->aboutToShow();
    QList<QAction *> items = menu->actions();
    ASSERT_EQ(items.size(), 5);
    EXPECT_EQ(items[0]->text(), "いまのフィルタを追加(&A)");
    EXPECT_FALSE(items[0]->isEnabled());  // "*.*" is no filter to add
    EXPECT_EQ(items[1]->text(), "フィルタの編集(&E)");
    EXPECT_TRUE(items[2]->isSeparator());
    EXPECT_EQ(items[4]->text(), "Cソース");
    items[4]->trigger();
    EXPECT_EQ(form->HisItem()->currentText(), "*.c;*.h");

    emit menu->aboutToShow();  // rebuilt, not appended
    items = menu->actions();
    EXPECT_EQ(items.size(), 5);
    EXPECT_TRUE(items[0]->isEnabled());
}

TEST_F(GrepFormTest, FolderAndArchiveButtonsFillTheConditions)
{
    auto form = ShownForm();
    const std::string archive = scratch.Write("pick/found.lzh", "x");
    std::string caption, prompt;
    form->Dialogs().pickFolder = [&](QWidget *, const std::string &c, const std::string &p,
                                     const std::string &) {
        caption = c;
        prompt = p;
        return std::optional<std::string>(scratch.Path() + "/pick/");
    };
    form->Dialogs().pickArchive = [&](QWidget *, const std::string &) {
        return std::optional<std::string>(archive);
    };
    form->ChooseFolder();
    EXPECT_EQ(caption, "検索する場所");
    EXPECT_EQ(prompt, "検索先のフォルダを選択");
    EXPECT_EQ(form->HisPath()->currentText().toStdString(), scratch / "pick");
    EXPECT_EQ(ReadSettingString("history\\Grep\\Path", "0", ""), scratch / "pick");

    form->HisPath()->setCurrentIndex(-1);
    form->ChooseArchive();
    EXPECT_EQ(form->HisName()->currentText(), "found.lzh");
    EXPECT_EQ(form->HisPath()->currentText().toStdString(), scratch / "pick");
    EXPECT_EQ(ReadSettingString("history\\Grep\\ArchiveFile", "0", ""), archive);
}

TEST_F(GrepFormTest, ConditionsRoundTripThroughTheBoxesEveryTypeSwitchOnItsOwn)
{
    auto form = ShownForm();
    search::SearchConditions base;
    base.searchText = "検索";
    base.archiveName = "*.*";
    base.folder = scratch.Path();
    base.storedFiles = "*.txt";
    base.subFolders = false;
    base.allTypes = false;
    bool search::SearchConditions::*switches[] = {
        &search::SearchConditions::lha,      &search::SearchConditions::zip, &search::SearchConditions::arj,
        &search::SearchConditions::cab,      &search::SearchConditions::tar, &search::SearchConditions::rar,
        &search::SearchConditions::sevenZip, &search::SearchConditions::sfx};
    for (auto flag : switches) {
        search::SearchConditions c = base;
        c.*flag = true;
        form->SetConditions(c);
        EXPECT_EQ(form->Conditions(), c);
        EXPECT_TRUE(form->Options()->chbSevenZip->isEnabled());
    }
}

TEST_F(GrepFormTest, WorkFolderIsMadeAtCreationAndRemovedWithEverythingAtDestroy)
{
    std::string work;
    {
        auto form = ShownForm();
        work = form->WorkFolder();
        EXPECT_EQ(work, scratch / "~GREP(");
        ASSERT_TRUE(std::filesystem::is_directory(work));
        scratch.Write("~GREP(/~EXTRACT/left/over.txt", "x");
    }
    EXPECT_FALSE(std::filesystem::exists(work));
}

TEST_F(GrepFormTest, PlacementAndPanelWidthsRoundTripIncludingMinimised)
{
    {
        auto form = ShownForm();
        form->setGeometry(120, 90, 700, 450);
        form->MainSplitter()->setSizes({260, 440});
        QApplication::processEvents();
    }
    EXPECT_EQ(ReadSettingInteger("Grep", "PlaceShowCmd", 0), 1);
    EXPECT_EQ(ReadSettingInteger("Grep", "PlaceNormalPos.Left", 0), 120);
    EXPECT_EQ(ReadSettingInteger("Grep", "PlaceNormalPos.Bottom", 0), 90 + 450);
    EXPECT_EQ(ReadSettingInteger("Grep", "PlaceGrepWidth", 0), 260);
    EXPECT_GT(ReadSettingInteger("Grep", "PlaceTreeWidth", 0), 0);
    {
        auto form = ShownForm();
        EXPECT_EQ(form->geometry(), QRect(120, 90, 700, 450));
        EXPECT_EQ(form->MainSplitter()->sizes().value(0), 260);
        form->showMinimized();
        QApplication::processEvents();
    }
    EXPECT_EQ(ReadSettingInteger("Grep", "PlaceShowCmd", 0), 2);
    EXPECT_EQ(ReadSettingInteger("Grep", "PlaceNormalPos.Left", 0), 120);
    {
        // Started maximised: the stored rectangle is not applied, but saved again at exit.
        WriteSettingInteger("Grep", "PlaceNormalPos.Left", 300);
        auto form = ShownForm(TGrepStartOptions{true});
        EXPECT_NE(form->geometry().left(), 300);
    }
    EXPECT_NE(ReadSettingInteger("Grep", "PlaceNormalPos.Left", 300), 300);
}

TEST_F(GrepFormTest, ANeverShownWindowWritesNoPlacement)
{
    {
        TGrepForm form;
    }
    EXPECT_EQ(ReadSettingInteger("Grep", "PlaceShowCmd", -7), -7);
}

}  // namespace
}  // namespace zr
