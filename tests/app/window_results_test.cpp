// The main window's conditions and results as a user meets them: histories
// that keep every search, a new search that keeps the switches, the result
// header and list after a run, and the dialogs' sizes and titles.

#include "app/filter_form.h"
#include "app/filter_table.h"
#include "app/grep_form.h"
#include "app/grep_status_bar.h"
#include "app/help_window.h"
#include "app/hit_models.h"
#include "app/options_panel.h"
#include "app/pattern_combo_box.h"
#include "app/qt_translations.h"
#include "app/result_panel_layout.h"
#include "app/selected_row_count.h"
#include "app/settings_dialog.h"
#include "app_test_support.h"
#include "bigview/bigview.h"
#include "test_support/temp_env.h"
#include "util/settings_store.h"

#include <QAction>
#include <algorithm>
#include <QCheckBox>
#include <QFrame>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTableWidget>
#include <QTextBrowser>
#include <QTest>
#include <QTreeView>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace zr {
namespace {

using testing::PumpUntil;

class WindowResultsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testing::App();
        WriteSettingString("Setting", "WorkPath", scratch.Path());
    }

    std::unique_ptr<TGrepForm> ShownForm()
    {
        auto form = std::make_unique<TGrepForm>();
        form->show();
        QApplication::processEvents();
        return form;
    }

    static void Run(TGrepForm &form, std::vector<search::THitRecord> hits, search::RunSummary summary = {})
    {
        if (summary.resultLabel.empty() && !summary.Failed())
            summary.resultLabel = "found";
        form.SetRunJobFactory([hits, summary](const search::SearchConditions &, const search::RunOptions &) {
            return [hits, summary](std::stop_token, search::RunSink &sink) {
                sink.OnArchivesFound(5, "5件の書庫が検索対象です。");
                for (const search::THitRecord &hit : hits)
                    sink.OnHit(hit);
                sink.OnFinished(summary);
            };
        });
        form.StartSearch();
        form.WaitForRun();
    }

    void Search(TGrepForm &form, const char *text, const char *name = "*.*")
    {
        form.HisChar()->setEditText(QString::fromUtf8(text));
        form.HisName()->setEditText(QString::fromUtf8(name));
        form.HisPath()->setEditText(QString::fromStdString(scratch.Path()));
        Run(form, {});
    }

    static void ShowArchive(TGrepForm &form, int row)
    {
        form.ArchiveTree()->setCurrentIndex(form.TreeModel()->index(row, 0, form.TreeModel()->RootIndex()));
    }

    testing::TempRegistry registry;
    test::ScratchFolder scratch;
    std::shared_ptr<testing::RecordingPresenter> presenter = std::make_shared<testing::RecordingPresenter>();
    ScopedMessageBoxPresenter scopedPresenter{presenter};
};

TEST_F(WindowResultsTest, EverySearchJoinsItsHistoryNewestFirstAndSurvivesARestart)
{
    // A named archive must exist for the run to start.
    for (const char *name : {"a.lzh", "b.zip"})
        std::ofstream(scratch.File(name)) << "x";
    {
        auto form = ShownForm();
        Search(*form, "見積書", "a.lzh");
        Search(*form, "エラー", "b.zip");
        Search(*form, "検証用マーカー", "a.lzh");
        // Stored at once, not only when the window closes.
        EXPECT_EQ(ReadSettingInteger("history\\Grep\\Char", "Count", 0), 3);
    }
    auto form = ShownForm();
    EXPECT_EQ(form->HisChar()->Entries(), (std::vector<std::string>{"検証用マーカー", "エラー", "見積書"}));
    EXPECT_EQ(form->HisName()->Entries(), (std::vector<std::string>{"a.lzh", "b.zip"}));
    EXPECT_EQ(form->HisPath()->Entries().size(), 1u);

    // At most 19 entries, the oldest dropped.
    for (int i = 0; i < 21; ++i)
        Search(*form, ("word" + std::to_string(i)).c_str());
    const std::vector<std::string> texts = form->HisChar()->Entries();
    ASSERT_EQ(texts.size(), 19u);
    EXPECT_EQ(texts.front(), "word20");
    EXPECT_EQ(texts.back(), "word2");
}

TEST_F(WindowResultsTest, NewSearchClearsTheFourBoxesAndKeepsTheSwitches)
{
    auto form = ShownForm();
    TOptionsPanel &options = *form->Options();
    options.SetOpen(true);
    options.chbSubDir->setChecked(false);
    options.chbAlltype->click();
    options.chbZip->setChecked(true);
    options.chbSfx->setChecked(true);
    form->HisChar()->setEditText("needle");
    form->HisName()->setEditText("x.lzh");
    form->HisPath()->setEditText(QString::fromStdString(scratch.Path()));
    form->HisItem()->setEditText("*.txt");
    form->Actions().ActF_NewGrep->trigger();

    EXPECT_EQ(form->HisChar()->currentText(), "");
    EXPECT_EQ(form->HisName()->currentText(), "*.*");
    EXPECT_EQ(form->HisPath()->currentText(), "");
    EXPECT_EQ(form->HisPath()->currentIndex(), -1);
    EXPECT_EQ(form->HisItem()->currentText(), "");
    EXPECT_FALSE(options.IsOpen());
    EXPECT_FALSE(options.chbSubDir->isChecked());
    EXPECT_FALSE(options.chbAlltype->isChecked());
    EXPECT_TRUE(options.chbZip->isChecked());
    EXPECT_TRUE(options.chbZip->isEnabled());
    EXPECT_TRUE(options.chbSfx->isChecked());
    EXPECT_FALSE(form->ConditionsChanged());
}

TEST_F(WindowResultsTest, TypingAFolderIsAChangeOfTheConditions)
{
    auto form = ShownForm();
    ASSERT_FALSE(form->Actions().ActF_SaveParm->isEnabled());
    QTest::keyClicks(form->HisPath()->lineEdit(), "/tmp");
    EXPECT_TRUE(form->ConditionsChanged());
    EXPECT_TRUE(form->Actions().ActF_SaveParm->isEnabled());
    EXPECT_TRUE(form->Actions().ActF_NewGrep->isEnabled());
}

TEST_F(WindowResultsTest, SelectedRowsAreCountedFromRangesOverlapsOnce)
{
    QStandardItemModel model(100, 3);
    QItemSelection selection;
    EXPECT_EQ(SelectedRowCount(selection), 0);
    selection.append(QItemSelectionRange(model.index(0, 0), model.index(9, 2)));
    selection.append(QItemSelectionRange(model.index(5, 0), model.index(14, 2)));  // overlaps 5..9
    selection.append(QItemSelectionRange(model.index(50, 0), model.index(50, 2)));
    selection.append(QItemSelectionRange(model.index(7, 0), model.index(8, 2)));  // inside the first
    EXPECT_EQ(SelectedRowCount(selection), 16);
}

TEST_F(WindowResultsTest, SelectAllTogglesAndCountsWithoutWalkingRows)
{
    auto form = ShownForm();
    form->HisPath()->setEditText(QString::fromStdString(scratch.Path()));
    std::vector<search::THitRecord> hits;
    for (int i = 1; i <= 5000; ++i)
        hits.push_back({"/d/a.lzh", "x.txt", i, "line"});
    Run(*form, hits);
    ShowArchive(*form, 0);
    form->Actions().ActE_AllSelect->trigger();
    EXPECT_EQ(form->GrepStatusBar()->CountText(), "5,000 行を選択");
    EXPECT_EQ(form->ResultList()->selectionModel()->selectedRows().size(), 5000);
    EXPECT_FALSE(form->Actions().ActE_View->isEnabled());
    form->Actions().ActE_AllSelect->trigger();
    EXPECT_EQ(form->GrepStatusBar()->CountText(), "5,000 行");
    EXPECT_TRUE(form->ResultList()->selectionModel()->selection().isEmpty());
}

TEST_F(WindowResultsTest, LineNumbersFitTheirColumnAndClicksNeverScrollSideways)
{
    auto form = ShownForm();
    form->resize(700, 400);
    form->HisPath()->setEditText(QString::fromStdString(scratch.Path()));
    const std::string longText(300, 'x');
    Run(*form, {{"/d/a.lzh", "x.txt", 1199999, longText}, {"/d/a.lzh", "x.txt", 12345678, longText},
                {"/d/b.lzh", "y.txt", 3, longText}});
    ShowArchive(*form, 0);
    QTreeView *list = form->ResultList();
    PumpUntil([] { return false; }, 30);
    const int needed = list->fontMetrics().horizontalAdvance(QStringLiteral("12345678"));
    EXPECT_GT(list->columnWidth(1), needed);

    // A click on a cell that runs past the right edge selects without
    // scrolling the names away. The line text only takes the room left, so
    // a wide name column is what makes the list scroll sideways.
    list->setColumnWidth(0, list->viewport()->width() - 40);
    PumpUntil([] { return false; }, 30);
    ASSERT_GT(list->horizontalScrollBar()->maximum(), 0);
    const QRect cell = list->visualRect(form->ListModel()->index(1, 1));
    const QPoint at(cell.left() + 10, cell.center().y());
    ASSERT_LT(at.x(), list->viewport()->width());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(list->currentIndex().row(), 1);
    EXPECT_EQ(list->horizontalScrollBar()->value(), 0);

    // Scrolled by hand, another archive still starts at the left.
    list->horizontalScrollBar()->setValue(list->horizontalScrollBar()->maximum());
    ShowArchive(*form, 1);
    EXPECT_EQ(list->horizontalScrollBar()->value(), 0);

    // A width remembered from the short archive never cuts the long one's numbers.
    list->setColumnWidth(1, 5);
    ShowArchive(*form, 0);
    EXPECT_GT(list->columnWidth(1), needed);
}

TEST_F(WindowResultsTest, ADocumentPlaceFitsTheLineColumn)
{
    auto form = ShownForm();
    form->HisPath()->setEditText(QString::fromStdString(scratch.Path()));
    search::THitRecord hit{"/d/book.xlsx", "見積明細シート", 3, "x"};
    hit.Location = "見積明細シート!AB1200";
    Run(*form, {hit});
    ShowArchive(*form, 0);
    QTreeView *list = form->ResultList();
    PumpUntil([] { return false; }, 30);
    EXPECT_GT(list->columnWidth(1), list->fontMetrics().horizontalAdvance(QString::fromStdString(hit.Location)));
}

TEST_F(WindowResultsTest, LongerNamesOfAnotherArchiveWidenTheFittedColumnButNotOneSetByHand)
{
    auto form = ShownForm();
    form->resize(1000, 500);
    form->HisPath()->setEditText(QString::fromStdString(scratch.Path()));
    search::THitRecord nested{"/d/b.tgz", "docs/readme.txt", 2, "x"};
    nested.Via = {"2025/見積一式.zip"};
    Run(*form, {{"/d/a.lzh", "a.txt", 1, "x"}, nested});
    ShowArchive(*form, 0);
    QTreeView *list = form->ResultList();
    PumpUntil([] { return false; }, 30);
    ShowArchive(*form, 1);
    PumpUntil([] { return false; }, 30);
    const int chain = list->fontMetrics().horizontalAdvance(QStringLiteral("2025/見積一式.zip » docs/readme.txt"));
    EXPECT_GE(list->columnWidth(0), chain);

    list->setColumnWidth(0, 60);
    ShowArchive(*form, 0);
    ShowArchive(*form, 1);
    EXPECT_EQ(list->columnWidth(0), 60);
}

TEST_F(WindowResultsTest, ClickingEmptySpaceInTheTreeKeepsTheShownArchive)
{
    auto form = ShownForm();
    form->HisPath()->setEditText(QString::fromStdString(scratch.Path()));
    Run(*form, {{"/d/a.lzh", "x.txt", 1, "t"}});
    ShowArchive(*form, 0);
    QTreeView *tree = form->ArchiveTree();
    const QPoint below(5, tree->viewport()->height() - 3);
    ASSERT_FALSE(tree->indexAt(below).isValid());
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, below);
    EXPECT_EQ(tree->selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(tree->currentIndex(), form->TreeModel()->index(0, 0, form->TreeModel()->RootIndex()));
}

TEST_F(WindowResultsTest, AFailedRunLeavesNoArchiveCountOverItsResult)
{
    auto form = ShownForm();
    form->HisPath()->setEditText(QString::fromStdString(scratch.Path()));
    search::RunSummary failed;
    failed.errorMessage = "正規表現の構文が正しくありません";
    Run(*form, {}, failed);
    EXPECT_EQ(form->ResultLabelText(), "");
    EXPECT_EQ(form->TitleText(), "検索結果");
}

TEST_F(WindowResultsTest, TheFinishedHeaderShowsEveryConditionLineWhenTheyWrap)
{
    EXPECT_EQ(FinishedHeaderHeight(85, 30, 3, 13, 1), 85);
    EXPECT_EQ(FinishedHeaderHeight(85, 30, 6, 17, 1), 30 + 6 * 17 + 5 + 2);
    EXPECT_EQ(FinishedHeaderHeight(85, 30, 40, 17, 1), 30 + kMaxFinishedRows * 17 + 5 + 2);

    auto form = ShownForm();
    form->resize(640, 480);
    form->HisPath()->setEditText(QString::fromStdString(scratch.Path()));
    search::RunSummary summary;
    summary.resultLabel = "1 行 見つかりました。";
    std::string pattern = "検索した書庫： ";
    for (int i = 0; i < 8; ++i)
        pattern += "*.LZH;*.ZIP;*.CAB;";
    summary.viewLines = {"検索した文字： x", "検索した場所： /d", pattern, "検索した格納： *.*"};
    Run(*form, {{"/d/a.lzh", "x.txt", 1, "t"}}, summary);
    PumpUntil([] { return false; }, 30);
    TBigView *view = form->ResultView();
    ASSERT_GT(view->LineCount(), 4);  // the pattern wraps
    const QFontMetrics metrics(view->font());
    EXPECT_GE(view->height(), view->LineCount() * (metrics.height() + metrics.leading()));
    EXPECT_LE(view->geometry().bottom(), form->ResultHeader()->height());
}

TEST_F(WindowResultsTest, TheFilterDialogShowsAllTenRows)
{
    TFilterForm dialog(nullptr, kFilterNamesKey, kFilterMasksKey);
    dialog.show();
    QApplication::processEvents();
    auto *grid = dialog.findChild<QTableWidget *>();
    ASSERT_NE(grid, nullptr);
    ASSERT_EQ(grid->rowCount(), 10);
    const int lastBottom = grid->rowViewportPosition(9) + grid->rowHeight(9);
    EXPECT_LE(lastBottom, grid->viewport()->height());
    EXPECT_EQ(grid->rowViewportPosition(0), 0);
}

TEST_F(WindowResultsTest, TheViewerSampleGoesIntoTheWorkFolderAndWithIt)
{
    std::string workFolder;
    std::string started;
    {
        auto form = ShownForm();
        workFolder = form->WorkFolder();
        ASSERT_FALSE(workFolder.empty());
        TSettingsDialog dialog(form.get());
        dialog.sampleFolder = workFolder;
        dialog.launch = [&](const std::string &line) {
            started = line;
            return platform::LaunchResult{true, 1, ""};
        };
        dialog.TestViewer();
        EXPECT_NE(started.find(workFolder), std::string::npos) << started;
    }
    EXPECT_FALSE(std::filesystem::exists(workFolder));
}

TEST_F(WindowResultsTest, QtTextsAreJapaneseAndEveryWindowHasAJapaneseTitle)
{
    if (!InstallQtJapaneseTranslations(testing::App()))
        GTEST_SKIP() << "Qt's Japanese translations are not installed";
    // A stock text of Qt's own dialogs and edit menus.
    EXPECT_NE(QCoreApplication::translate("QFileDialog", "Look in:"), "Look in:");
    EXPECT_NE(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Cancel");
    EXPECT_NE(QCoreApplication::translate("QLineEdit", "&Undo"), "&Undo");

    TFilterForm filters(nullptr, kFilterNamesKey, kFilterMasksKey);
    TSettingsDialog settings;
    THelpWindow help;
    for (QWidget *window : {static_cast<QWidget *>(&filters), static_cast<QWidget *>(&settings),
                            static_cast<QWidget *>(&help)}) {
        const QString title = window->windowTitle();
        EXPECT_FALSE(title.isEmpty());
        EXPECT_TRUE(std::any_of(title.begin(), title.end(), [](QChar c) { return c.unicode() > 0x3000; }))
            << title.toStdString();
    }
}

}  // namespace
}  // namespace zr

namespace zr {
namespace {

TEST(HelpText, NamesTheCommandsWithoutAccessKeyMarkUp)
{
    testing::App();
    THelpWindow help;
    ASSERT_TRUE(help.Load(HelpFilePath()));
    const QString text = help.Browser()->toPlainText();
    EXPECT_TRUE(text.contains(QString::fromUtf8("検索する文字列")));
    EXPECT_FALSE(text.contains(QStringLiteral("(&"))) << text.toStdString();
}

}  // namespace
}  // namespace zr
