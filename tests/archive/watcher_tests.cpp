// The archive watcher: a changed or vanished archive is reported once
// changes have been quiet, and operations stop and re-point it.

#include <QCoreApplication>
#include <QThread>
#include <gtest/gtest.h>

#include "archive/archive_control.h"
#include "archive/archive_watcher.h"
#include "archive_test_support.h"

namespace zr::archive::test {
namespace {

QCoreApplication &App()
{
    static int argc = 1;
    static char name[] = "archive_tests";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

// Processes events until the condition holds; false after a generous limit.
template <typename Condition> bool ProcessEventsUntil(Condition condition)
{
    for (int i = 0; i < 1000 && !condition(); ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
    return condition();
}

// Lets several quiet periods of the tests' 50 ms watcher pass.
void ProcessEventsBriefly()
{
    for (int i = 0; i < 40; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
}

class WatcherTest : public StubLibraryTest {
protected:
    void SetUp() override
    {
        App();
        StubLibraryTest::SetUp();
        archive_ = dir_.File("watched.lzh");
        WriteFile(archive_, "STUB:Unlha");
        control_.SetAutomatic(false);
        control_.Watcher().SetQuietInterval(50);
        control_.OnNotification = [this](TArchiveControl *sender) {
            EXPECT_EQ(sender, &control_);
            ++notifications_;
        };
        control_.SetArchiveFile(archive_);
        ASSERT_EQ(control_.ArchiveType(), atLha);
    }

    std::string archive_;
    TArchiveControl control_;
    int notifications_ = 0;
};

TEST_F(WatcherTest, DefaultQuietIntervalIsThreeSeconds)
{
    TArchiveControl fresh;
    EXPECT_EQ(fresh.Watcher().QuietInterval(), 3000);
}

TEST_F(WatcherTest, ReportsAChangedArchiveOnce)
{
    EXPECT_EQ(control_.Watcher().WatchedFile().toStdString(), archive_);
    WriteFile(archive_, "STUB:Unlha and more bytes");
    EXPECT_TRUE(ProcessEventsUntil([&] { return notifications_ > 0; }));
    ProcessEventsBriefly();
    EXPECT_EQ(notifications_, 1);
}

TEST_F(WatcherTest, UnrelatedFilesInTheFolderAreNotReported)
{
    WriteFile(dir_.File("other.txt"), "x");
    WriteFile(archive_, "STUB:Unlha changed");
    EXPECT_TRUE(ProcessEventsUntil([&] { return notifications_ > 0; }));
    const int seen = notifications_;
    WriteFile(dir_.File("another.txt"), "y");
    ProcessEventsBriefly();
    EXPECT_EQ(notifications_, seen);
}

TEST_F(WatcherTest, ReportsAVanishedArchiveAndForgetsIt)
{
    std::filesystem::remove(archive_);
    EXPECT_TRUE(ProcessEventsUntil([&] { return notifications_ > 0; }));
    EXPECT_TRUE(control_.Watcher().WatchedFile().isEmpty());
}

TEST_F(WatcherTest, OperationsStopWatchingAndPointItAgainAtTheEnd)
{
    TempDir dest;
    std::string watchedDuringStart = "unset";
    control_.OnStart = [&](TArchiveControl *sender, int) {
        watchedDuringStart = sender->Watcher().WatchedFile().toStdString();
    };
    EXPECT_EQ(control_.Extract(dest.Path(), std::vector<std::string>{"a"}), 0);
    EXPECT_EQ(watchedDuringStart, "");
    EXPECT_EQ(control_.Watcher().WatchedFile().toStdString(), archive_);
    // A failing end handler reaches the caller, but the archive is watched again.
    control_.OnEnd = [](TArchiveControl *, int, int) { throw std::runtime_error("end handler"); };
    EXPECT_THROW(control_.Extract(dest.Path(), std::vector<std::string>{"a"}), std::runtime_error);
    EXPECT_EQ(control_.Watcher().WatchedFile().toStdString(), archive_);
}

}  // namespace
}  // namespace zr::archive::test
