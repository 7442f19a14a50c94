// The archive watcher: a changed or vanished archive is reported once
// changes have been quiet, and operations stop and re-point it.

#include <QCoreApplication>
#include <QThread>
#include <gtest/gtest.h>

#include "archive/archive_control.h"
#include "archive/window/window_side.h"
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
        Watcher().SetQuietInterval(50);
        control_.OnNotification = [this](TArchiveControl *sender) {
            EXPECT_EQ(sender, &control_);
            ++notifications_;
        };
        control_.SetArchiveFile(archive_);
        ASSERT_EQ(control_.ArchiveType(), atLha);
    }

    TArchiveWatcher &Watcher() { return static_cast<TArchiveWindowSide *>(control_.WindowSide())->Watcher(); }

    std::string archive_;
    TArchiveControl control_{std::make_unique<TArchiveWindowSide>()};
    int notifications_ = 0;
};

TEST_F(WatcherTest, DefaultQuietIntervalIsThreeSeconds)
{
    TArchiveWindowSide fresh;
    EXPECT_EQ(fresh.Watcher().QuietInterval(), 3000);
}

TEST_F(WatcherTest, ReportsAChangedArchiveOnce)
{
    EXPECT_EQ(Watcher().WatchedFile().toStdString(), archive_);
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
    EXPECT_TRUE(Watcher().WatchedFile().isEmpty());
}

TEST_F(WatcherTest, OperationsStopWatchingAndPointItAgainAtTheEnd)
{
    TempDir dest;
    std::string watchedDuringStart = "unset";
    control_.OnStart = [&](TArchiveControl *sender, int) {
        EXPECT_EQ(sender, &control_);
        watchedDuringStart = Watcher().WatchedFile().toStdString();
    };
    EXPECT_EQ(control_.Extract(dest.Path(), std::vector<std::string>{"a"}), 0);
    EXPECT_EQ(watchedDuringStart, "");
    EXPECT_EQ(Watcher().WatchedFile().toStdString(), archive_);
    // A failing end handler reaches the caller, but the archive is watched again.
    control_.OnEnd = [](TArchiveControl *, int, int) { throw std::runtime_error("end handler"); };
    EXPECT_THROW(control_.Extract(dest.Path(), std::vector<std::string>{"a"}), std::runtime_error);
    EXPECT_EQ(Watcher().WatchedFile().toStdString(), archive_);
}

// The control's use of its window side, seen through a recording stand-in.
class RecordingSide : public TControlWindowSide {
public:
    void SetOnArchiveChanged(std::function<void()> onChanged) override { onChanged_ = std::move(onChanged); }
    void BeginBusy() override { maxDepth = std::max(maxDepth, ++depth); }
    void EndBusy() override { --depth; }
    void WatchArchive(const std::string &file) override { watched = file; }
    void StopWatching() override { watched = "(stopped)"; }

    std::function<void()> onChanged_;
    int depth = 0;
    int maxDepth = 0;
    std::string watched;
};

TEST_F(StubLibraryTest, ControlDrivesItsWindowSide)
{
    auto owned = std::make_unique<RecordingSide>();
    RecordingSide &side = *owned;
    TArchiveControl control(std::move(owned));
    EXPECT_EQ(control.Surface(), TControlSurface::Window);
    int notifications = 0;
    control.OnNotification = [&](TArchiveControl *) { ++notifications; };
    const std::string zip = dir_.File("listed.zip");
    WriteFile(zip, "STUB:UnZip");
    control.SetArchiveFile(zip);
    EXPECT_EQ(side.depth, 0);  // every busy cursor is taken back
    EXPECT_EQ(side.maxDepth, 1);
    EXPECT_EQ(side.watched, zip);
    std::string watchedDuringStart;
    control.OnStart = [&](TArchiveControl *, int) { watchedDuringStart = side.watched; };
    TempDir dest;
    control.Extract(dest.Path(), std::vector<std::string>{"a"});
    EXPECT_EQ(watchedDuringStart, "(stopped)");
    EXPECT_EQ(side.watched, zip);
    side.onChanged_();
    EXPECT_EQ(notifications, 1);

    // A window control without an installed window side works as a plain one.
    TArchiveControl::SetWindowSideFactory({});
    TArchiveControl bare;
    EXPECT_EQ(bare.WindowSide(), nullptr);
    TArchiveControl plain(TControlSurface::Plain);
    EXPECT_EQ(plain.WindowSide(), nullptr);
}

}  // namespace
}  // namespace zr::archive::test
