// Hits reach the tree and the list while the run goes on: the models grow
// by the records appended since their last look, and the window shows each
// batch as it comes.

#include "app/grep_form.h"
#include "app/grep_status_bar.h"
#include "app/hit_models.h"
#include "app/pattern_combo_box.h"
#include "app/run_controller.h"
#include "app_test_support.h"
#include "search/run_texts.h"
#include "test_support/temp_env.h"
#include "util/settings_store.h"

#include <QTreeView>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

namespace zr {
namespace {

using search::THitRecord;
using testing::PumpUntil;

QString Text(const QAbstractItemModel &model, int row, int column, const QModelIndex &parent = {})
{
    return model.data(model.index(row, column, parent), Qt::DisplayRole).toString();
}

TEST(StreamedModels, TreeAndRootListGrowByNewArchivesOnly)
{
    testing::App();
    search::HitList hits;
    TArchiveTreeModel tree;
    TResultListModel list;
    tree.SetHits(&hits);
    list.ShowArchives(&hits);
    int inserted = 0;
    QObject::connect(&tree, &QAbstractItemModel::rowsInserted, [&] { ++inserted; });

    hits.Append({"/d/a.zip", "x.txt", 1, "1"});
    hits.Append({"/d/a.zip", "x.txt", 2, "2"});
    tree.AppendHits(&hits);
    list.AppendHits();
    EXPECT_EQ(tree.ArchiveCount(), 1);
    EXPECT_EQ(list.rowCount(), 1);

    // More lines of the same archive add no node; a new archive adds one.
    hits.Append({"/d/a.zip", "y.txt", 5, "3"});
    tree.AppendHits(&hits);
    EXPECT_EQ(tree.ArchiveCount(), 1);
    hits.Append({"/d/b.zip", "z.txt", 1, "4"});
    hits.Append({"/d/c.zip", "z.txt", 1, "5"});
    tree.AppendHits(&hits);
    list.AppendHits();
    ASSERT_EQ(tree.ArchiveCount(), 3);
    EXPECT_EQ(inserted, 2);  // one insertion per look, never a reset
    EXPECT_EQ(Text(tree, 2, 0, tree.RootIndex()), "c.zip");
    EXPECT_EQ(tree.ArchiveStart(tree.index(1, 0, tree.RootIndex())), 3u);
    ASSERT_EQ(list.rowCount(), 3);
    EXPECT_EQ(list.Record(2).ArchivePath, "/d/c.zip");

    // Another list (a new run) starts the tree over.
    search::HitList other;
    other.Append({"/e/q.lzh", "r.txt", 1, "x"});
    tree.AppendHits(&other);
    EXPECT_EQ(tree.ArchiveCount(), 1);
}

TEST(StreamedModels, AnArchiveShownWhileSearchedGrowsUntilTheNextArchiveBegins)
{
    testing::App();
    search::HitList hits;
    hits.Append({"/d/a.zip", "x.txt", 1, "1"});
    TResultListModel lines;
    TResultListModel files;
    lines.ShowArchive(&hits, 0, true);
    files.ShowArchive(&hits, 0, false);

    hits.Append({"/d/a.zip", "x.txt", 2, "2"});
    hits.Append({"/d/a.zip", "y.txt", 1, "3"});
    lines.AppendHits();
    files.AppendHits();
    EXPECT_EQ(lines.rowCount(), 3);
    ASSERT_EQ(files.rowCount(), 2);  // one row per stored file
    EXPECT_EQ(Text(files, 1, 0), "y.txt");

    // The same stored file across two looks stays one row.
    hits.Append({"/d/a.zip", "y.txt", 9, "4"});
    hits.Append({"/d/b.zip", "y.txt", 1, "5"});
    hits.Append({"/d/a.zip", "late.txt", 1, "6"});  // another archive of the same path: not this one
    lines.AppendHits();
    files.AppendHits();
    EXPECT_EQ(lines.rowCount(), 4);
    EXPECT_EQ(files.rowCount(), 2);
    EXPECT_EQ(Text(lines, 3, 2), "4");

    // An archive that is not the last one never grows.
    TResultListModel earlier;
    earlier.ShowArchive(&hits, 0, true);
    hits.Append({"/d/a.zip", "late.txt", 2, "7"});
    earlier.AppendHits();
    EXPECT_EQ(earlier.rowCount(), 4);
}

TEST(RunController, TheGaugeFollowsTheFurthestArchiveHandedToAWorker)
{
    testing::App();
    TRunController controller;
    std::vector<std::tuple<int, int, std::string>> started;
    std::optional<search::RunSummary> summary;
    controller.SetBatchHandler([&](RunBatch &batch) {
        if (batch.archiveStarted)
            started.push_back(*batch.archiveStarted);
        if (batch.finished)
            summary = batch.finished;
    });
    controller.Start([](std::stop_token, search::RunSink &sink) {
        sink.OnArchiveDispatched(0, 3, "/a");
        sink.OnArchiveDispatched(1, 3, "/b");
        sink.OnArchiveStarted(0, 3, "/a");  // the first archive's hits come later
        sink.OnFinished({});
    });
    controller.WaitAndDrain();
    ASSERT_TRUE(summary.has_value());
    ASSERT_FALSE(started.empty());
    EXPECT_EQ(started.back(), std::make_tuple(1, 3, std::string("/b")));
}

class StreamingWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testing::App();
        WriteSettingString("Setting", "WorkPath", scratch.Path());
        form = std::make_unique<TGrepForm>();
        form->show();
        QApplication::processEvents();
        form->HisPath()->PushText(scratch.Path());
        form->HisPath()->setCurrentIndex(0);
        form->HisChar()->setEditText("x");
    }

    QModelIndex ArchiveNode(int row) const
    {
        return form->TreeModel()->index(row, 0, form->TreeModel()->RootIndex());
    }

    // A run that reports one archive, waits for `gate` to open, reports a
    // second and waits again, then ends; or ends at a stop with what it sent.
    TGrepForm::RunJobFactory GatedRun()
    {
        return [this](const search::SearchConditions &, const search::RunOptions &) {
            return [this](std::stop_token stop, search::RunSink &sink) {
                const auto waitForGate = [&](int open) {
                    while (gate.load() < open && !stop.stop_requested())
                        std::this_thread::sleep_for(std::chrono::milliseconds(2));
                };
                const auto finish = [&](int hits, int archives, int files) {
                    search::RunSummary summary;
                    summary.stopped = stop.stop_requested();
                    summary.hitCount = hits;
                    summary.resultLabel = search::HitsFoundLabel(hits, archives, files, summary.stopped);
                    sink.OnFinished(summary);
                };
                sink.OnArchivesFound(2, search::ArchivesFoundLabel(2));
                sink.OnArchiveStarted(0, 2, "/d/a.zip");
                sink.OnHit({"/d/a.zip", "x.txt", 1, "x one"});
                sink.OnHit({"/d/a.zip", "x.txt", 2, "x two"});
                waitForGate(1);
                if (stop.stop_requested())
                    return finish(2, 1, 1);
                sink.OnHit({"/d/a.zip", "y.txt", 3, "x three"});
                sink.OnArchiveStarted(1, 2, "/d/b.zip");
                sink.OnHit({"/d/b.zip", "z.txt", 1, "x four"});
                waitForGate(2);
                finish(4, 2, 3);
            };
        };
    }

    testing::TempRegistry registry;
    test::ScratchFolder scratch;
    std::shared_ptr<testing::RecordingPresenter> presenter = std::make_shared<testing::RecordingPresenter>();
    ScopedMessageBoxPresenter scopedPresenter{presenter};
    std::unique_ptr<TGrepForm> form;
    std::atomic<int> gate{0};
};

TEST_F(StreamingWindowTest, HitsShowDuringTheRunAndAChosenArchiveStays)
{
    form->SetRunJobFactory(GatedRun());
    form->StartSearch();
    ASSERT_TRUE(PumpUntil([&] { return form->TreeModel()->ArchiveCount() == 1; }));
    EXPECT_EQ(form->RunState(), TRunState::rsSearching);
    EXPECT_TRUE(form->ArchiveTree()->isExpanded(form->TreeModel()->RootIndex()));
    EXPECT_EQ(form->ListModel()->rowCount(), 1);
    EXPECT_EQ(form->GrepStatusBar()->CountText(), "1 件の書庫");

    // The archive being searched, chosen now, keeps growing.
    form->ArchiveTree()->setCurrentIndex(ArchiveNode(0));
    EXPECT_EQ(form->ListModel()->rowCount(), 2);
    gate = 1;
    ASSERT_TRUE(PumpUntil([&] { return form->TreeModel()->ArchiveCount() == 2; }));
    EXPECT_EQ(form->ListModel()->rowCount(), 3);
    EXPECT_EQ(form->GrepStatusBar()->CountText(), "3 行");

    gate = 2;
    form->WaitForRun();
    EXPECT_EQ(form->RunState(), TRunState::rsFinished);
    EXPECT_EQ(form->ArchiveTree()->currentIndex(), ArchiveNode(0));
    EXPECT_EQ(form->ListModel()->rowCount(), 3);
    EXPECT_EQ(form->ResultLabelText(), "4 行 見つかりました。  書庫数： 2 件  格納数：3 件");
}

TEST_F(StreamingWindowTest, AStoppedRunKeepsItsHitsAndSaysItWasStopped)
{
    form->SetRunJobFactory(GatedRun());
    form->StartSearch();
    ASSERT_TRUE(PumpUntil([&] { return form->TreeModel()->ArchiveCount() == 1; }));
    presenter->answers = {mrYes};
    form->StopSearch();
    form->WaitForRun();
    EXPECT_EQ(form->ResultLabelText(), "2 行 見つかりました。（中断）  書庫数： 1 件  格納数：1 件");
    EXPECT_EQ(form->TreeModel()->ArchiveCount(), 1);
    EXPECT_TRUE(form->TreeModel()->IsRoot(form->ArchiveTree()->currentIndex()));
    EXPECT_EQ(form->ListModel()->rowCount(), 1);
}

}  // namespace
}  // namespace zr
