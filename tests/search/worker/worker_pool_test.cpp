// The pool with the stand-in worker: jobs that abort, crash, spin, allocate
// without end or stop reporting cost their own job only; every job's events
// arrive in job order, and workers are confined.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <sys/stat.h>
#include <map>
#include <thread>

#include "search/worker/worker_confinement.h"
#include "search/worker/worker_pool.h"
#include "test_support/scratch_folder.h"

namespace zr::search::worker {
namespace {

std::string StandInProgram()
{
    const char *bin = std::getenv("ZR_BIN_DIR");
    return std::string(bin ? bin : ".") + "/zrworker_standin";
}

struct Recorder : JobEvents {
    std::vector<std::pair<int, Message>> events;
    std::vector<int> endOrder;
    std::vector<int> dispatched;
    std::map<int, JobEnd> ends;

    void OnEvent(int job, const Message &event) override { events.emplace_back(job, event); }
    void OnDispatched(int job) override { dispatched.push_back(job); }
    void OnEnd(int job, const JobEnd &end) override
    {
        endOrder.push_back(job);
        ends[job] = end;
    }
    std::vector<std::string> LinesOf(int job) const
    {
        std::vector<std::string> lines;
        for (const auto &[j, e] : events)
            if (j == job)
                lines.push_back(e.texts.at(1));
        return lines;
    }
};

class WorkerPoolTest : public ::testing::Test {
protected:
    WorkerPoolOptions Options(int workers = 1)
    {
        WorkerPoolOptions o;
        o.program = StandInProgram();
        o.setup = {"needle"};
        o.workRoot = work.Path();
        o.workers = workers;
        o.limits.stallSeconds = 1;
        o.limits.memoryBytes = std::uint64_t{256} << 20;
        o.limits.storedFileBytes = std::uint64_t{1} << 20;
        o.pollInterval = std::chrono::milliseconds(50);
        return o;
    }
    std::vector<std::vector<std::string>> Jobs(const std::vector<std::string> &names)
    {
        std::vector<std::vector<std::string>> jobs;
        for (const auto &n : names)
            jobs.push_back(
                {data.Write(n, "hay\nneedle in " + n + "\nhay\nneedle again\n"), data / "outside.txt"});
        return jobs;
    }

    test::ScratchFolder data, work;
};

TEST_F(WorkerPoolTest, BadJobsFailAloneAndTheGoodOnesArriveWholeInOrder)
{
    WorkerPool pool(Options());
    Recorder r;
    const auto jobs =
        Jobs({"good1.txt", "abort.txt", "good2.txt", "segv.txt", "loop.txt", "alloc.txt", "good3.txt"});
    pool.Run(jobs, r);
    EXPECT_EQ(r.endOrder, (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
    for (int good : {0, 2, 6}) {
        EXPECT_EQ(r.ends[good].kind, JobEndKind::kDone) << good;
        EXPECT_EQ(r.ends[good].done.numbers, std::vector<std::int64_t>{2}) << good;
        EXPECT_EQ(r.LinesOf(good),
                  (std::vector<std::string>{"needle in " + jobs[good][0].substr(data.Path().size() + 1),
                                            "needle again"}));
    }
    for (int bad : {1, 3, 4, 5}) {
        EXPECT_EQ(r.ends[bad].kind, JobEndKind::kFailed) << bad;
        EXPECT_TRUE(r.LinesOf(bad).empty()) << bad;
    }
    EXPECT_NE(r.ends[1].reason.find("シグナル 6"), std::string::npos) << r.ends[1].reason;
#if !defined(__SANITIZE_ADDRESS__)  // the sanitizer turns a crash into exit code 1
    EXPECT_NE(r.ends[3].reason.find("シグナル 11"), std::string::npos) << r.ends[3].reason;
#endif
    EXPECT_FALSE(r.ends[3].reason.empty());
    EXPECT_EQ(r.ends[4].reason, StallReason(1));
    EXPECT_FALSE(r.ends[5].reason.empty());
    EXPECT_GE(pool.WorkersStarted(), 5);  // every failure cost a fresh worker
}

TEST_F(WorkerPoolTest, AFailedJobKeepsWhatItReportedBeforeItsFault)
{
    WorkerPool pool(Options(2));
    Recorder r;
    pool.Run(Jobs({"good.txt", "late.txt", "good2.txt"}), r);
    EXPECT_EQ(r.endOrder, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(r.ends[1].kind, JobEndKind::kFailed);
    EXPECT_EQ(r.LinesOf(1), std::vector<std::string>{"first"});
    EXPECT_EQ(r.LinesOf(2).size(), 2u);
}

TEST_F(WorkerPoolTest, SeveralWorkersStillDeliverInJobOrder)
{
    WorkerPool pool(Options(3));
    Recorder r;
    std::vector<std::string> names;
    for (int i = 0; i < 9; ++i)
        names.push_back((i == 4 ? "abort" : "file") + std::to_string(i) + ".txt");
    pool.Run(Jobs(names), r);
    EXPECT_EQ(r.endOrder, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8}));
    int last = -1;
    for (const auto &[job, e] : r.events) {
        EXPECT_GE(job, last);
        last = job;
    }
    EXPECT_EQ(r.events.size(), 16u);  // two lines from each of the eight good files
    EXPECT_EQ(r.ends[4].kind, JobEndKind::kFailed);
}

TEST_F(WorkerPoolTest, ARunEndingErrorComesAfterTheJobsBeforeIt)
{
    WorkerPool pool(Options());
    Recorder r;
    try {
        pool.Run(Jobs({"good.txt", "fail.txt", "after.txt"}), r);
        FAIL() << "no error";
    } catch (const WorkerRunError &e) {
        EXPECT_STREQ(e.what(), "malformed pattern");
        EXPECT_EQ(e.Numbers(), std::vector<std::int64_t>{7});
    }
    EXPECT_EQ(r.endOrder, std::vector<int>{0});
    // The pool is usable again afterwards.
    Recorder again;
    pool.Run(Jobs({"good.txt"}), again);
    EXPECT_EQ(again.ends[0].kind, JobEndKind::kDone);
}

TEST_F(WorkerPoolTest, AWorkerOfAnotherMessageVersionEndsTheRunWithAClearError)
{
    WorkerPoolOptions options = Options();
    options.arguments = {"--speak-version=" + std::to_string(kProtocolVersion - 1)};
    WorkerPool pool(options);
    Recorder r;
    try {
        pool.Run(Jobs({"good1.txt"}), r);
        FAIL() << "the run went on";
    } catch (const WorkerRunError &e) {
        EXPECT_EQ(e.what(), VersionMismatchText(options.program, kProtocolVersion - 1));
    }
    EXPECT_TRUE(r.events.empty());
    EXPECT_TRUE(r.endOrder.empty());
}

TEST_F(WorkerPoolTest, AStopKeepsWhatTheStoppedJobFoundAndStartsNothingMore)
{
    WorkerPool pool(Options());
    Recorder r;
    std::stop_source stop;
    // Stop once the slow job has begun, whenever that is.
    std::jthread stopper([&](std::stop_token cancelled) {
        while (!cancelled.stop_requested() && !std::filesystem::exists(work / "worker0/slow-started"))
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        stop.request_stop();
    });
    pool.Run(Jobs({"good.txt", "slow.txt", "never.txt"}), r, stop.get_token());
    EXPECT_EQ(r.endOrder, (std::vector<int>{0, 1}));
    EXPECT_EQ(r.ends[1].kind, JobEndKind::kStopped);
    EXPECT_EQ(r.LinesOf(1), std::vector<std::string>{"first"});
}

TEST_F(WorkerPoolTest, AJobSentAheadCountsAsDispatchedWhenTakenUpAndAStopDropsIt)
{
    // One worker takes five jobs, each sent while the one before runs.
    WorkerPool pool(Options());
    Recorder all;
    pool.Run(Jobs({"a1.txt", "a2.txt", "a3.txt", "a4.txt", "a5.txt"}), all);
    EXPECT_EQ(all.dispatched, (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(all.endOrder, (std::vector<int>{0, 1, 2, 3, 4}));
    for (int job = 0; job < 5; ++job)
        EXPECT_EQ(all.LinesOf(job).size(), 2u) << job;
    EXPECT_EQ(pool.WorkersStarted(), 1);

    // The job waiting behind a stopped one is neither run nor reported.
    Recorder r;
    std::stop_source stop;
    std::jthread stopper([&](std::stop_token cancelled) {
        while (!cancelled.stop_requested() && !std::filesystem::exists(work / "worker0/slow-started"))
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        stop.request_stop();
    });
    pool.Run(Jobs({"slow.txt", "never.txt"}), r, stop.get_token());
    EXPECT_EQ(r.dispatched, std::vector<int>{0});
    EXPECT_EQ(r.endOrder, std::vector<int>{0});
    EXPECT_TRUE(r.LinesOf(1).empty());
}

TEST_F(WorkerPoolTest, AJobDeafToTheStopIsKilledAndKeepsWhatItFound)
{
    WorkerPoolOptions options = Options();
    options.limits.stallSeconds = 3600;  // only the stop may end it
    WorkerPool pool(options);
    Recorder r;
    std::stop_source stop;
    std::jthread stopper([&](std::stop_token cancelled) {
        while (!cancelled.stop_requested() && !std::filesystem::exists(work / "worker0/slow-started"))
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        stop.request_stop();
    });
    pool.Run(Jobs({"deaf.txt", "never.txt"}), r, stop.get_token());
    EXPECT_EQ(r.endOrder, std::vector<int>{0});
    EXPECT_EQ(r.ends[0].kind, JobEndKind::kStopped);
    EXPECT_EQ(r.LinesOf(0), std::vector<std::string>{"first"});

    Recorder next;  // the killed worker is replaced for the next run
    pool.Run(Jobs({"good.txt"}), next, std::stop_token());
    EXPECT_EQ(next.LinesOf(0).size(), 2u);
}

TEST_F(WorkerPoolTest, AStoppedJobStillHandingOverItsLinesIsNotKilledMidway)
{
    WorkerPoolOptions options = Options();
    options.limits.stallSeconds = 3600;
    // Far above the stand-in's pauses, far below the second it takes to send.
    options.stopGrace = std::chrono::milliseconds(400);
    options.stopSendLimit = std::chrono::seconds(60);
    WorkerPool pool(options);
    Recorder r;
    std::stop_source stop;
    std::jthread stopper([&](std::stop_token cancelled) {
        while (!cancelled.stop_requested() && !std::filesystem::exists(work / "worker0/slow-started"))
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        stop.request_stop();
    });
    pool.Run(Jobs({"held.txt", "never.txt"}), r, stop.get_token());
    EXPECT_EQ(r.ends[0].kind, JobEndKind::kStopped);
    const std::vector<std::string> lines = r.LinesOf(0);
    ASSERT_EQ(lines.size(), 51u);
    EXPECT_EQ(lines.front(), "first");
    EXPECT_EQ(lines.back(), "held 49");
    EXPECT_TRUE(r.LinesOf(1).empty());
}

TEST_F(WorkerPoolTest, AStoppedJobThatKeepsTalkingIsKilledAtTheSendLimit)
{
    WorkerPoolOptions options = Options();
    options.limits.stallSeconds = 3600;
    options.stopGrace = std::chrono::milliseconds(400);
    options.stopSendLimit = std::chrono::milliseconds(450);
    WorkerPool pool(options);
    Recorder r;
    std::stop_source stop;
    std::jthread stopper([&](std::stop_token cancelled) {
        while (!cancelled.stop_requested() && !std::filesystem::exists(work / "worker0/slow-started"))
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        stop.request_stop();
    });
    pool.Run(Jobs({"held.txt"}), r, stop.get_token());
    EXPECT_EQ(r.ends[0].kind, JobEndKind::kStopped);
    EXPECT_LT(r.LinesOf(0).size(), 51u);  // cut off: a second of sending against 450 ms
    EXPECT_EQ(r.LinesOf(0).front(), "first");
}

TEST_F(WorkerPoolTest, WorkersSeeOnlyTheirPipesAndWriteOnlyTheirFolderUpToTheFileLimit)
{
    WorkerPool pool(Options());
    Recorder r;
    pool.Run(Jobs({"fds.txt", "big.txt", "escape.txt"}), r);
    EXPECT_EQ(r.ends[0].done.texts, (std::vector<std::string>{"0", "1", "2", "3", "4"}));
    EXPECT_EQ(r.ends[1].done.numbers, std::vector<std::int64_t>{1 << 20});  // cut at the limit, not killed
    std::map<std::string, std::string> attempts;
    for (const auto &[job, e] : r.events)
        if (job == 2)
            attempts[e.texts.at(0)] = e.texts.at(1);
    SCOPED_TRACE(pool.Confinement());
    EXPECT_EQ(attempts["write inside"], "allowed");
    EXPECT_NE(attempts["inet socket"], "allowed");
    EXPECT_NE(attempts["execve"], "allowed");
    EXPECT_NE(attempts["symlink"], "allowed");
    EXPECT_NE(attempts["mkfifo"], "allowed");
    if (pool.Confinement().find("writes confined") != std::string::npos) {
        EXPECT_NE(attempts["write outside"], "allowed");
        EXPECT_FALSE(std::filesystem::exists(data / "outside.txt"));
    }
    std::cout << "worker confinement: " << pool.Confinement() << "\n";
}

TEST_F(WorkerPoolTest, AConfinedWorkerCannotReachTheTerminalOutsideFilesSocketsOrCapabilities)
{
    WorkerPool pool(Options());
    Recorder r;
    const auto jobs = Jobs({"breakout.txt"});
    const std::string outside = jobs[0][1];
    data.Write("outside.txt", "keep");
    ::chmod(outside.c_str(), 0640);
    struct stat before {};
    ASSERT_EQ(::stat(outside.c_str(), &before), 0);
    pool.Run(jobs, r);
    std::map<std::string, std::string> attempts;
    for (const auto &[job, e] : r.events)
        attempts[e.texts.at(0)] = e.texts.at(1);
    SCOPED_TRACE(pool.Confinement());
    ASSERT_FALSE(attempts.empty());

    // Refused by the filter itself (EPERM), not merely failing on /dev/null.
    const std::string refused = std::strerror(EPERM);
    for (const char *call : {"TIOCSTI", "TIOCSTI high bits", "TIOCLINUX", "chmod outside", "chown outside",
                             "utimensat outside", "setxattr outside", "fchmod outside", "futimens outside",
                             "io_uring_setup", "unix socket", "socketpair", "sendto address"})
        EXPECT_EQ(attempts[call], refused) << call;

    EXPECT_EQ(attempts["fd 0"], "/dev/null");
    EXPECT_EQ(attempts["fd 1"], "/dev/null");
#if !defined(__SANITIZE_ADDRESS__)  // the sanitizers keep standard error for their reports
    EXPECT_EQ(attempts["fd 2"], "/dev/null");
#endif
    for (const char *set : {"CapEff", "CapPrm", "CapBnd"})
        EXPECT_EQ(attempts[set], "0000000000000000") << set;

    struct stat after {};
    ASSERT_EQ(::stat(outside.c_str(), &after), 0);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    EXPECT_NE(pool.Confinement().find("capabilities none"), std::string::npos);
}

TEST(WorkerLimitsTest, TheStoredFileBudgetIsHalfTheFreeSpaceAtMostFourGiB)
{
    test::ScratchFolder folder;
    const std::uint64_t budget = DefaultStoredFileBudget(folder.Path());
    EXPECT_LE(budget, std::uint64_t{4} << 30);
    EXPECT_GE(budget, std::uint64_t{1} << 20);
    EXPECT_EQ(DefaultStoredFileBudget("/no/such/folder"), std::uint64_t{4} << 30);
}

}  // namespace
}  // namespace zr::search::worker
