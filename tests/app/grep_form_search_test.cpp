// Whole searches through the window with the real search core, over archives
// written by the test: hits in tree and list, line display, counts, texts.

#include "app/file_dialog_request.h"
#include "app/grep_form.h"
#include "app/grep_status_bar.h"
#include "app/hit_models.h"
#include "app/options_panel.h"
#include "app/pattern_combo_box.h"
#include "app_test_support.h"
#include "archivers/test_archive_writers.h"
#include "test_support/temp_env.h"
#include "util/settings_store.h"

#include <QAction>
#include <QCheckBox>
#include <QHeaderView>
#include <QTreeView>
#include <gtest/gtest.h>

namespace zr {
namespace {

using archivers::test::MakeStoredZip;

class GrepFormSearchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testing::App();
        WriteSettingString("Setting", "WorkPath", scratch.Path());
        data = scratch.MakeFolder("data");
        scratch.Write("data/a.zip", MakeStoredZip({{"docs/readme.txt",
                                                    "one needle\r\ntwo\r\nneedle three\r\nneedle four\r\n"},
                                                   {"src/x.c", "nothing here\n"}}));
        scratch.Write("data/sub/b.zip", MakeStoredZip({{"notes.txt", "a needle\n"}}));
        scratch.Write("data/junk.zip", "this is no archive");
        scratch.Write("data/empty.zip", "");
        scratch.Write("data/c.rar", "not a rar either");
        form = std::make_unique<TGrepForm>();
        form->show();
        QApplication::processEvents();
        form->HisPath()->PushText(data);
        form->HisPath()->setCurrentIndex(0);
    }

    void Search(const std::string &text)
    {
        form->HisChar()->setEditText(QString::fromStdString(text));
        form->StartSearch();
        form->WaitForRun();
    }

    QModelIndex ArchiveNode(int row) const
    {
        return form->TreeModel()->index(row, 0, form->TreeModel()->RootIndex());
    }

    QString ListText(int row, int column) const
    {
        return form->ListModel()->data(form->ListModel()->index(row, column), Qt::DisplayRole).toString();
    }

    testing::TempRegistry registry;
    test::ScratchFolder scratch;
    std::string data;
    std::shared_ptr<testing::RecordingPresenter> presenter = std::make_shared<testing::RecordingPresenter>();
    ScopedMessageBoxPresenter scopedPresenter{presenter};
    std::unique_ptr<TGrepForm> form;
};

TEST_F(GrepFormSearchTest, HitsReachTreeListLabelAndView)
{
    Search("needle");
    EXPECT_TRUE(presenter->texts.empty());
    EXPECT_EQ(form->RunState(), TRunState::rsFinished);
    EXPECT_EQ(form->TitleText(), "検索結果");
    EXPECT_EQ(form->ResultLabelText(), "4 行 見つかりました。  書庫数： 2 件  格納数：2 件");
    const std::vector<std::string> view = form->ResultViewLines();
    ASSERT_EQ(view.size(), 4u);
    EXPECT_EQ(view[0], "検索した文字： needle");
    EXPECT_EQ(view[1], "検索した場所： " + data);
    EXPECT_EQ(view[2], std::string("検索した書庫： ") + search::kAllArchiveTypes + ";" + search::kDocumentTypes);
    EXPECT_EQ(view[3], "検索した格納： *.*");
    EXPECT_TRUE(form->InputsEnabled());
    EXPECT_FALSE(form->GrepStatusBar()->RunPartsVisible());
    EXPECT_FALSE(form->BusyFlag());

    // The root is selected and lists both archives with their folders.
    ASSERT_EQ(form->TreeModel()->ArchiveCount(), 2);
    EXPECT_TRUE(form->TreeModel()->IsRoot(form->ArchiveTree()->currentIndex()));
    EXPECT_EQ(form->ListHeaderText(), "開いている書庫: すべての書庫");
    ASSERT_EQ(form->ListModel()->rowCount(), 2);
    EXPECT_EQ(ListText(0, 0), "a.zip");
    // Folders below the searched one, the full path in the tool tip.
    EXPECT_EQ(ListText(0, 1), "./");
    EXPECT_EQ(ListText(1, 1), "sub/");
    EXPECT_EQ(
        form->ListModel()->data(form->ListModel()->index(1, 1), Qt::ToolTipRole).toString().toStdString(),
        data + "/sub/b.zip");
    EXPECT_EQ(form->GrepStatusBar()->CountText(), "2 件の書庫");
    EXPECT_TRUE(form->Actions().ActE_OpenZiZiv->isEnabled());
    EXPECT_TRUE(form->Actions().ActF_SaveAs->isEnabled());
    EXPECT_FALSE(form->Actions().ActE_View->isEnabled());

    // An archive node lists its lines; line display off gives one row per file.
    form->ArchiveTree()->setCurrentIndex(ArchiveNode(0));
    EXPECT_EQ(form->ListHeaderText(), "開いている書庫: " + data + "/a.zip");
    ASSERT_EQ(form->ListModel()->rowCount(), 3);
    EXPECT_EQ(ListText(0, 0), "readme.txt");
    EXPECT_EQ(ListText(0, 1), "1");
    EXPECT_EQ(ListText(0, 2), "one needle");
    EXPECT_EQ(ListText(2, 1), "4");
    EXPECT_EQ(form->GrepStatusBar()->CountText(), "3 行");
    form->ResultList()->setCurrentIndex(form->ListModel()->index(1, 0));
    EXPECT_EQ(form->GrepStatusBar()->CountText(), "1 行を選択");
    EXPECT_TRUE(form->Actions().ActE_View->isEnabled());

    form->Actions().ActO_DispLineNo->trigger();
    EXPECT_FALSE(form->Actions().ActO_DispLineNo->isChecked());
    ASSERT_EQ(form->ListModel()->rowCount(), 1);
    EXPECT_EQ(ListText(0, 0), "readme.txt");
    EXPECT_EQ(ListText(0, 1), "");
    form->Actions().ActO_DispLineNo->trigger();
    EXPECT_EQ(form->ListModel()->rowCount(), 3);

    // Select all, then all again selects none.
    form->SelectAllOrNone();
    EXPECT_EQ(form->GrepStatusBar()->CountText(), "3 行を選択");
    EXPECT_FALSE(form->Actions().ActE_View->isEnabled());
    form->SelectAllOrNone();
    EXPECT_EQ(form->GrepStatusBar()->CountText(), "3 行");
}

TEST_F(GrepFormSearchTest, TypeSwitchesShapeThePatternShownInTheHeader)
{
    form->Options()->SetOpen(true);
    form->Options()->chbAlltype->click();
    form->Options()->chbZip->setChecked(true);
    form->Options()->chbRar->setChecked(true);
    form->Options()->chbDocuments->setChecked(false);
    form->Options()->chbSubDir->setChecked(false);
    Search("needle");
    const std::vector<std::string> view = form->ResultViewLines();
    ASSERT_EQ(view.size(), 4u);
    EXPECT_EQ(view[2], "検索した書庫： *.ZIP;*.RAR");
    EXPECT_EQ(form->ResultLabelText(), "3 行 見つかりました。  書庫数： 1 件  格納数：1 件");
    EXPECT_FALSE(form->Options()->IsOpen());  // a run closes the panel
}

TEST_F(GrepFormSearchTest, StoredFileSearchAndNoHitRunsEndCleanly)
{
    form->HisItem()->setEditText("*.c");
    Search("");
    EXPECT_EQ(form->ResultLabelText(), "1 行 見つかりました。  書庫数： 1 件  格納数：1 件");
    form->ArchiveTree()->setCurrentIndex(ArchiveNode(0));
    ASSERT_EQ(form->ListModel()->rowCount(), 1);
    EXPECT_EQ(ListText(0, 0), "x.c");
    EXPECT_EQ(ListText(0, 1), "");

    form->HisItem()->setEditText("*.*");
    Search("absent words");
    EXPECT_EQ(form->ResultLabelText(), "指定の文字を含む書庫は見つかりませんでした。");
    EXPECT_EQ(form->TreeModel()->ArchiveCount(), 0);
    EXPECT_EQ(form->GrepStatusBar()->CountText(), "0 件の書庫");
    EXPECT_FALSE(form->Actions().ActE_OpenZiZiv->isEnabled());
}

TEST_F(GrepFormSearchTest, ABadPatternIsReportedAndTheWindowStaysUsable)
{
    Search("(needle");
    ASSERT_EQ(presenter->texts.size(), 1u);
    EXPECT_EQ(presenter->types[0], mtError);
    EXPECT_FALSE(presenter->texts[0].empty());
    EXPECT_NE(form->RunState(), TRunState::rsSearching);
    EXPECT_TRUE(form->InputsEnabled());
    EXPECT_TRUE(form->Actions().ActF_GrepStart->isEnabled());

    // The next search works.
    Search("needle");
    EXPECT_EQ(form->TreeModel()->ArchiveCount(), 2);
}

TEST_F(GrepFormSearchTest, TextAsTypedAndExactMatchingAreSwitchesThatOutliveTheWindow)
{
    scratch.Write("data/d.zip",
                  MakeStoredZip({{"d.txt", "1x5\r\nversion 1.5\r\n(株)ゾウ\r\nＮＥＥＤＬＥ\r\n"}}));
    const auto linesOf = [&](const char *archive) {
        const search::HitRange range = form->Hits().RecordsOfArchive(data + "/" + archive);
        std::vector<int> lines;
        for (std::size_t i = range.first; i < range.last; ++i)
            lines.push_back(form->Hits().At(i).LineNo);
        return lines;
    };
    Search("1.5");
    EXPECT_EQ(linesOf("d.zip"), (std::vector<int>{1, 2}));
    form->Options()->chbRegExp->setChecked(false);
    Search("1.5");
    EXPECT_EQ(linesOf("d.zip"), (std::vector<int>{2}));
    Search("(株)");
    EXPECT_EQ(linesOf("d.zip"), (std::vector<int>{3}));
    EXPECT_TRUE(presenter->texts.empty());

    Search("needle");
    EXPECT_EQ(linesOf("d.zip"), (std::vector<int>{4}));  // full width through the fuzzy table
    form->Options()->chbFuzzy->setChecked(false);
    Search("needle");
    EXPECT_TRUE(linesOf("d.zip").empty());
    EXPECT_EQ(form->TreeModel()->ArchiveCount(), 2);

    // The switches are part of the conditions and come back with the next window.
    EXPECT_FALSE(form->Conditions().regularExpression || form->Conditions().fuzzy);
    form.reset();
    form = std::make_unique<TGrepForm>();
    form->show();
    QApplication::processEvents();
    EXPECT_FALSE(form->Options()->chbRegExp->isChecked());
    EXPECT_FALSE(form->Options()->chbFuzzy->isChecked());
    search::SearchConditions loaded = form->Conditions();
    loaded.regularExpression = loaded.fuzzy = true;
    form->SetConditions(loaded);
    EXPECT_TRUE(form->Options()->chbRegExp->isChecked() && form->Options()->chbFuzzy->isChecked());
}

TEST_F(GrepFormSearchTest, NestedArchiveSwitchShowsTheChainAndComesBack)
{
    scratch.Write("data/n.zip", MakeStoredZip({{"in.zip", MakeStoredZip({{"docs/a.txt", "x needle\n"}})}}));
    EXPECT_TRUE(form->Options()->chbNested->isChecked());
    Search("needle");
    QStringList names;
    for (int archive = 0; archive < form->TreeModel()->ArchiveCount(); ++archive) {
        form->ArchiveTree()->setCurrentIndex(ArchiveNode(archive));
        for (int row = 0; row < form->ListModel()->rowCount(); ++row)
            names << ListText(row, 0);
    }
    EXPECT_TRUE(names.contains(QString::fromUtf8("in.zip \xC2\xBB docs/a.txt"))) << names.join("|").toStdString();

    form->Options()->chbNested->setChecked(false);
    EXPECT_FALSE(form->Conditions().nestedArchives);
    form.reset();
    form = std::make_unique<TGrepForm>();
    form->show();
    QApplication::processEvents();
    EXPECT_FALSE(form->Options()->chbNested->isChecked());
}

TEST_F(GrepFormSearchTest, HeaderClicksSortTheListAndTheThirdClickRestoresRunOrder)
{
    Search("needle");
    form->ArchiveTree()->setCurrentIndex(ArchiveNode(0));
    QHeaderView *header = form->ResultList()->header();
    const auto lineColumn = [&] {
        QStringList lines;
        for (int row = 0; row < form->ListModel()->rowCount(); ++row)
            lines << ListText(row, 2);
        return lines.join('|');
    };
    ASSERT_EQ(lineColumn(), "one needle|needle three|needle four");
    header->sectionClicked(2);
    EXPECT_EQ(lineColumn(), "needle four|needle three|one needle");
    EXPECT_TRUE(header->isSortIndicatorShown());
    header->sectionClicked(2);
    EXPECT_EQ(lineColumn(), "one needle|needle three|needle four");
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);
    header->sectionClicked(2);
    EXPECT_EQ(lineColumn(), "one needle|needle three|needle four");
    EXPECT_FALSE(header->isSortIndicatorShown());
    header->sectionClicked(1);
    header->sectionClicked(1);
    EXPECT_EQ(ListText(0, 1), "4");  // by number, not by text

    // The root's list sorts by folder; its width stays when an archive is chosen and left.
    form->SelectTreeRoot();
    header->sectionClicked(1);
    header->sectionClicked(1);
    EXPECT_EQ(ListText(0, 0), "b.zip");
    form->ResultList()->setColumnWidth(0, 77);
    form->ArchiveTree()->setCurrentIndex(ArchiveNode(1));
    form->ArchiveTree()->setCurrentIndex(form->TreeModel()->RootIndex());
    EXPECT_EQ(form->ResultList()->columnWidth(0), 77);
}

TEST_F(GrepFormSearchTest, HitLinesAreSavedAsCsvOrTsv)
{
    EXPECT_FALSE(form->Actions().ActF_SaveHits->isEnabled());
    Search("needle");
    ASSERT_TRUE(form->Actions().ActF_SaveHits->isEnabled());
    std::string chosen = scratch.Path() + "/hits.csv";
    TFileDialogRequest asked;
    form->Dialogs().pickFile = [&](QWidget *, const TFileDialogRequest &request) {
        asked = request;
        return std::optional<std::string>(chosen);
    };
    form->Actions().ActF_SaveHits->trigger();
    EXPECT_EQ(asked, HitExportSaveRequest());
    const std::string csv = testing::ReadFileBytes(chosen);
    EXPECT_EQ(csv.rfind("\xEF\xBB\xBF書庫ファイル,格納ファイル,行位置,検索行データ\r\n", 0), 0u) << csv;
    EXPECT_NE(csv.find(data + "/a.zip,docs/readme.txt,3,needle three\r\n"), std::string::npos) << csv;
    chosen = scratch.Path() + "/hits.tsv";
    form->Actions().ActF_SaveHits->trigger();
    EXPECT_NE(testing::ReadFileBytes(chosen).find(data + "/sub/b.zip\tnotes.txt\t1\ta needle\r\n"),
              std::string::npos);
    EXPECT_TRUE(presenter->texts.empty());
}

TEST_F(GrepFormSearchTest, NothingIsLeftInTheWorkFolderAfterTheWindowCloses)
{
    Search("needle");
    const std::string work = form->WorkFolder();
    EXPECT_FALSE(work.empty());
    form.reset();
    EXPECT_FALSE(std::filesystem::exists(work));
}

}  // namespace
}  // namespace zr
