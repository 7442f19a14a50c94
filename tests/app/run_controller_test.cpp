// The worker-thread run: events reach the window's thread in order and in
// batches, the stop token reaches the job, and every run ends with a summary.

#include "app/run_controller.h"
#include "app_test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>

namespace zr {
namespace {

struct Collected {
    std::vector<std::string> lines;
    std::vector<search::THitRecord> hits;
    std::optional<search::RunSummary> summary;
    int batches = 0;
    std::optional<std::pair<int, std::string>> found;
    std::optional<std::tuple<int, int, std::string>> started;
};

void Collect(TRunController &controller, Collected &out)
{
    controller.SetBatchHandler([&out](RunBatch &batch) {
        ++out.batches;
        out.lines.insert(out.lines.end(), batch.progressLines.begin(), batch.progressLines.end());
        out.hits.insert(out.hits.end(), batch.hits.begin(), batch.hits.end());
        if (batch.archivesFound)
            out.found = batch.archivesFound;
        if (batch.archiveStarted)
            out.started = batch.archiveStarted;
        if (batch.finished)
            out.summary = batch.finished;
    });
}

TEST(RunController, EventsArriveInOrderAndInFewBatches)
{
    testing::App();
    TRunController controller;
    Collected got;
    Collect(controller, got);
    controller.Start([](std::stop_token, search::RunSink &sink) {
        sink.OnArchivesFound(2, "2件の書庫が検索対象です.");
        for (int i = 0; i < 2; ++i) {
            sink.OnArchiveStarted(i, 2, "/a" + std::to_string(i));
            for (int j = 0; j < 5000; ++j) {
                sink.OnHit({"/a" + std::to_string(i), "x", j + 1, ""});
                sink.OnProgressLine("line " + std::to_string(i * 5000 + j));
            }
        }
        search::RunSummary summary;
        summary.hitCount = 10000;
        sink.OnFinished(summary);
    });
    EXPECT_TRUE(controller.Running());
    ASSERT_TRUE(testing::PumpUntil([&] { return got.summary.has_value(); }));
    EXPECT_FALSE(controller.Running());
    ASSERT_EQ(got.lines.size(), 10000u);
    for (std::size_t i = 0; i < got.lines.size(); ++i)
        ASSERT_EQ(got.lines[i], "line " + std::to_string(i));
    ASSERT_EQ(got.hits.size(), 10000u);
    EXPECT_EQ(got.hits.back().ArchivePath, "/a1");
    EXPECT_EQ(got.summary->hitCount, 10000);
    EXPECT_EQ(got.found->first, 2);
    EXPECT_EQ(std::get<2>(*got.started), "/a1");
    EXPECT_LT(got.batches, 1000);  // never one update per event
}

TEST(RunController, StopReachesTheJobAndTheRunStillEndsWithASummary)
{
    testing::App();
    TRunController controller;
    Collected got;
    Collect(controller, got);
    std::atomic<bool> started{false};
    controller.Start([&started](std::stop_token stop, search::RunSink &sink) {
        started = true;
        int archive = 0;
        while (!stop.stop_requested())
            sink.OnArchiveStarted(archive++, 1000000, "/x");
        search::RunSummary summary;
        summary.stopped = true;
        sink.OnFinished(summary);
    });
    ASSERT_TRUE(testing::PumpUntil([&] { return started.load(); }));
    controller.RequestStop();
    EXPECT_TRUE(controller.StopRequested());
    ASSERT_TRUE(testing::PumpUntil([&] { return got.summary.has_value(); }));
    EXPECT_TRUE(got.summary->stopped);
}

TEST(RunController, AJobThatThrowsEndsTheRunWithItsMessage)
{
    testing::App();
    TRunController controller;
    Collected got;
    Collect(controller, got);
    controller.Start([](std::stop_token, search::RunSink &sink) {
        sink.OnProgressLine("before");
        throw std::runtime_error("作業フォルダが作成できません。");
    });
    controller.WaitAndDrain();
    ASSERT_TRUE(got.summary.has_value());
    EXPECT_EQ(got.summary->errorMessage, "作業フォルダが作成できません。");
    EXPECT_EQ(got.lines, std::vector<std::string>{"before"});
}

TEST(RunController, PausedBatchesWaitAndANewStartStopsTheOldJob)
{
    testing::App();
    TRunController controller;
    Collected got;
    Collect(controller, got);
    std::atomic<bool> firstStopped{false};
    controller.Start([&firstStopped](std::stop_token stop, search::RunSink &sink) {
        sink.OnProgressLine("old");
        while (!stop.stop_requested())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        firstStopped = true;
        sink.OnFinished({});
    });
    controller.SetPaused(true);
    testing::PumpUntil([] { return false; }, 150);
    EXPECT_EQ(got.batches, 0);
    controller.SetPaused(false);
    controller.Start([](std::stop_token, search::RunSink &sink) {
        sink.OnProgressLine("new");
        sink.OnFinished({});
    });
    EXPECT_TRUE(firstStopped.load());
    ASSERT_TRUE(testing::PumpUntil([&] { return got.summary.has_value(); }));
    // The old run's leftovers were dropped with it.
    EXPECT_EQ(got.lines, std::vector<std::string>{"new"});
}

}  // namespace
}  // namespace zr
