// The owner callback: a file begins (state 0), progress at least every
// 256 KiB and at the end of each file (state 1), and the stop value whose
// sense differs between Unzip32 and the other libraries.
#include <gtest/gtest.h>

#include "archiver_test_support.h"

namespace zr::archivers::test {
namespace {

struct Call {
    unsigned state;
    std::uint32_t size;
    std::uint32_t written;
    std::string source;
    std::string dest;
};

std::vector<Call> g_calls;
int g_goOn = -1;
int g_stop = 0;
std::size_t g_stopAtCall = SIZE_MAX;
int g_runningSeen = 0;
ZrArcGetRunningFn g_getRunning = nullptr;

int Record(HWND, unsigned msg, unsigned state, void *info)
{
    EXPECT_EQ(msg, ZR_ARC_MSG_EXTRACT);
    const auto *x = static_cast<const TExtractingInfoEx *>(info);
    g_calls.push_back({state, x->dwFileSize, x->dwWriteSize, x->szSourceFileName, x->szDestFileName});
    if (g_getRunning)
        g_runningSeen += g_getRunning() != 0;
    return g_calls.size() - 1 >= g_stopAtCall ? g_stop : g_goOn;
}

class CallbackTest : public ::testing::Test {
protected:
    void install(const ArchiverLibrary &lib, int goOn, int stop, std::size_t stopAt = SIZE_MAX)
    {
        g_calls.clear();
        g_goOn = goOn;
        g_stop = stop;
        g_stopAtCall = stopAt;
        g_runningSeen = 0;
        g_getRunning = lib.fn<ZrArcGetRunningFn>("GetRunning");
        ASSERT_NE(
            lib.fn<ZrArcSetOwnerWindowExFn>("SetOwnerWindowEx")(reinterpret_cast<HWND>(0x1234), &Record), 0);
    }
    void TearDown() override { g_getRunning = nullptr; }
};

TEST_F(CallbackTest, ReportsBeginAndProgressEvery256KiBWithNames)
{
    ArchiverLibrary lha("libUnlha32.so", "Unlha");
    install(lha, -1, 0);
    TempDir dest;
    ASSERT_EQ(lha.command("x -m1c -n " + Quote(FixturePath("sample-h2.lzh")) + " " + Quote(dest.str() + "/") +
                          " \"sub/repeat.txt\""),
              0);
    lha.fn<ZrArcKillOwnerWindowExFn>("KillOwnerWindowEx")(reinterpret_cast<HWND>(0x1234));
    ASSERT_EQ(g_calls.size(), 4u);  // begin, past 256 KiB, past 512 KiB, end (780,000 bytes)
    EXPECT_EQ(g_calls[0].state, ZR_ARC_STATE_BEGIN);
    EXPECT_EQ(g_calls[0].size, 780000u);
    EXPECT_EQ(g_calls[0].written, 0u);
    EXPECT_EQ(g_calls[0].source, "sub/repeat.txt");
    EXPECT_EQ(g_calls[0].dest, dest.str() + "/sub/repeat.txt");
    for (std::size_t i = 1; i < g_calls.size(); ++i) {
        EXPECT_EQ(g_calls[i].state, ZR_ARC_STATE_PROGRESS);
        EXPECT_GT(g_calls[i].written, g_calls[i - 1].written);
        EXPECT_LE(g_calls[i].written - g_calls[i - 1].written, 256u * 1024);
    }
    EXPECT_EQ(g_calls.back().written, 780000u);
    EXPECT_EQ(g_runningSeen, 4);
    EXPECT_EQ(lha.fn<ZrArcGetRunningFn>("GetRunning")(), 0);

    // Removed: no further calls.
    g_calls.clear();
    TempDir again;
    ASSERT_EQ(
        lha.command("x -m1c -n " + Quote(FixturePath("sample-h2.lzh")) + " " + Quote(again.str() + "/")), 0);
    EXPECT_TRUE(g_calls.empty());
}

TEST_F(CallbackTest, ZeroStopsMostLibrariesAtOnceWithoutAHalfFile)
{
    for (const auto &[file, prefix, archive, switches] :
         std::vector<std::tuple<std::string, std::string, std::string, std::string>>{
             {"libUnlha32.so", "Unlha", "sample-h2.lzh", "x -m1c -n"},
             {"libTar32.so", "Tar", "sample.tgz", "-x -f"},
             {"libUnarj32j.so", "Unarj", "sample.arj", "x -jyo -i"}}) {
        ArchiverLibrary lib(file, prefix);
        install(lib, -1, 0, 2);  // stop during the progress of the big file
        TempDir dest;
        EXPECT_EQ(lib.command(switches + " " + Quote(FixturePath(archive)) + " " + Quote(dest.str() + "/") +
                              " \"repeat.txt\""),
                  ZR_ARC_E_CANCELLED)
            << prefix;
        EXPECT_EQ(g_calls.size(), 3u) << prefix;
        EXPECT_TRUE(FilesBelow(dest.path()).empty()) << prefix;
        lib.fn<ZrArcKillOwnerWindowExFn>("KillOwnerWindowEx")(nullptr);
    }
}

TEST_F(CallbackTest, UnzipGoesOnWithZeroAndStopsWithMinusOne)
{
    ArchiverLibrary zip("libUnzip32.so", "UnZip");
    install(zip, 0, -1);
    TempDir dest;
    EXPECT_EQ(zip.command("-x -o --i " + Quote(FixturePath("sample.zip")) + " " + Quote(dest.str() + "/")),
              0);
    EXPECT_EQ(FilesBelow(dest.path()).size(), 6u);

    install(zip, 0, -1, 0);
    TempDir stopped;
    EXPECT_EQ(zip.command("-x -o --i " + Quote(FixturePath("sample.zip")) + " " + Quote(stopped.str() + "/")),
              ZR_ARC_E_CANCELLED);
    EXPECT_EQ(g_calls.size(), 1u);
    EXPECT_TRUE(FilesBelow(stopped.path()).empty());
    zip.fn<ZrArcKillOwnerWindowExFn>("KillOwnerWindowEx")(nullptr);
}

TEST_F(CallbackTest, ACommandStartedFromTheCallbackIsRefusedAsBusy)
{
    ArchiverLibrary lha("libUnlha32.so", "Unlha");
    static const ArchiverLibrary *self = nullptr;
    static int nested = 0;
    self = &lha;
    nested = 0;
    lha.fn<ZrArcSetOwnerWindowExFn>("SetOwnerWindowEx")(nullptr, [](HWND, unsigned, unsigned, void *) {
        nested = self->command("x \"whatever.lzh\"");
        return -1;
    });
    TempDir dest;
    EXPECT_EQ(lha.command("x -m1c " + Quote(FixturePath("stored.lzh")) + " " + Quote(dest.str() + "/")), 0);
    EXPECT_EQ(nested, ZR_ARC_E_BUSY);
    lha.fn<ZrArcKillOwnerWindowExFn>("KillOwnerWindowEx")(nullptr);
}

}  // namespace
}  // namespace zr::archivers::test
