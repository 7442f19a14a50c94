// The 7z library beyond the shared round trips: the item records, its
// switches, hostile and truncated archives, stubs that are no DOS
// executable, Shift-JIS names kept as escaped bytes, and a stop while a
// solid block is decompressed towards the one entry asked for.
#include <gtest/gtest.h>

#include <cstdlib>
#include <unistd.h>

#include "archiver_test_support.h"
#include "archivers/core/stored_name.h"

namespace zr::archivers::test {
namespace {

const char *kLib = "lib7z32.so";
const char *kPrefix = "SevenZip";

std::string Extract(const ArchiverLibrary &lib, const std::string &switches, const std::string &archive,
                    const fs::path &dest, const std::string &names, int &result)
{
    std::string log;
    result = lib.command(switches + " " + Quote(archive) + " " + Quote(dest.string() + "/") + names, &log);
    return log;
}

TEST(SevenZipRecordTest, RecordsCarrySizeDateMethodAndFolders)
{
    ArchiverLibrary lib(kLib, kPrefix);
    ASSERT_TRUE(lib.loaded());
    const auto records = lib.list(FixturePath("sample.7z"));
    ASSERT_EQ(records.size(), 8u);
    bool sawFolder = false;
    for (const auto &r : records) {
        const std::string name = r.szFileName;
        EXPECT_STREQ(r.szMode, "7z") << name;
        if (name.back() != '/') {
            EXPECT_EQ(r.wDate, ((2020 - 1980) << 9) | (2 << 5) | 3) << name;  // 2020-02-03, local = UTC here
        }
        if (name == "sub/") {
            sawFolder = true;
            EXPECT_TRUE(r.uFlag & ZR_ARC_FLAG_DIRECTORY);
        }
        if (name == "sub/repeat.txt") {
            EXPECT_EQ(r.dwOriginalSize, RepeatText().size());
            // Packed by the folder, not by the entry: unknown, never the unpacked size.
            EXPECT_EQ(r.dwCompressedSize, 0u);
        }
    }
    EXPECT_TRUE(sawFolder);
    EXPECT_EQ(Names(lib.list(FixturePath("sample.7z"), "*.TXT sub")).size(), 7u);  // letters without case
    EXPECT_EQ(Names(lib.list(FixturePath("sample.7z"), "?.txt")).size(), 0u);
    EXPECT_EQ(Names(lib.list(FixturePath("sample.7z"), "\xE8\xA1\xA8?.txt")),
              (std::vector<std::string>{"\xE8\xA1\xA8\xE7\xA4\xBA.txt"}));  // 表? finds 表示.txt
}

TEST(SevenZipCommandTest, CommandWordsOverwriteSwitchesAndResponseFiles)
{
    ArchiverLibrary lib(kLib, kPrefix);
    const std::string archive = FixturePath("sample.7z");
    TempDir dest;
    int result = -1;
    // "e" drops the folders.
    std::string log = Extract(lib, "e -aoa -hide", archive, dest.path(), " \"sub/numbers.txt\"", result);
    EXPECT_EQ(result, 0) << log;
    EXPECT_EQ(ReadFile(dest.path() / "numbers.txt"), NumbersText());
    // Without an overwrite switch, and with -aos, an existing file stays.
    WriteFile(dest.path() / "hello.txt", "mine");
    log = Extract(lib, "x", archive, dest.path(), " hello.txt", result);
    EXPECT_EQ(result, 0) << log;
    log = Extract(lib, "x -aos", archive, dest.path(), " hello.txt", result);
    EXPECT_EQ(ReadFile(dest.path() / "hello.txt"), "mine");
    log = Extract(lib, "x -aoa", archive, dest.path(), " hello.txt", result);
    EXPECT_EQ(ReadFile(dest.path() / "hello.txt"), HelloText());
    // A response file names the entries; "-o" gives the destination as 7-Zip does.
    const fs::path list = dest.path() / "names.lst";
    WriteFile(list, "sub/repeat.txt\r\nempty.txt\r\n");
    TempDir other;
    EXPECT_EQ(lib.command("x -aoa -o" + other.str() + " " + Quote(archive) + " @" + list.string()), 0);
    EXPECT_EQ(FilesBelow(other.path()),
              (std::map<std::string, std::string>{{"sub/repeat.txt", RepeatText()}, {"empty.txt", ""}}));
    // Unknown command words and missing archives are told apart.
    EXPECT_EQ(lib.command("a " + Quote(archive)), ZR_ARC_E_COMMAND);
    EXPECT_EQ(lib.command("x /nonexistent/zr.7z " + Quote(other.str() + "/")), ZR_ARC_E_OPEN);
}

TEST(SevenZipHostileTest, LinksAbsoluteAndClimbingNamesStayOut)
{
    ArchiverLibrary lib(kLib, kPrefix);
    TempDir root;
    const fs::path dest = root.path() / "a" / "dest";
    fs::create_directories(dest);
    int result = -1;
    const std::string log = Extract(lib, "x -aoa", FixturePath("hostile.7z"), dest, "", result);
    EXPECT_EQ(result, ZR_ARC_E_UNSAFE_NAME) << log;
    EXPECT_EQ(FilesBelow(root.path()), (std::map<std::string, std::string>{{"a/dest/evil.txt", "evil\n"}}))
        << log;
    EXPECT_FALSE(fs::exists(fs::symlink_status(dest / "link")));
}

// Encrypted data is flagged per entry; encrypted names leave nothing to
// list, and the first FindFirst says why.
TEST(EncryptedListingTest, LockedEntriesAreFlaggedAndLockedHeadersNamed)
{
    const std::string fixtures =
        std::string(std::getenv("ZR_SOURCE_DIR") ? std::getenv("ZR_SOURCE_DIR") : ".") +
        "/tests/search/fixtures/";
    ArchiverLibrary seven(kLib, kPrefix);
    ArchiverLibrary unzip("libUnzip32.so", "UnZip");
    ASSERT_TRUE(seven.loaded() && unzip.loaded());
    const auto flags = [](const std::vector<TIndividualInfo> &records) {
        std::vector<std::string> out;
        for (const auto &r : records)
            out.push_back(std::string(r.szFileName) + ((r.uFlag & ZR_ARC_FLAG_ENCRYPTED) ? " locked" : ""));
        return out;
    };
    EXPECT_EQ(flags(seven.list(fixtures + "data-locked.7z")),
              (std::vector<std::string>{"locked.txt locked"}));
    EXPECT_EQ(flags(unzip.list(fixtures + "zip-aes.zip")), (std::vector<std::string>{"locked.txt locked"}));
    EXPECT_EQ(flags(unzip.list(fixtures + "zipcrypto.zip")),
              (std::vector<std::string>{"locked.txt locked", "open.txt"}));

    const std::string header = fixtures + "header-locked.7z";
    EXPECT_LT(seven.count(header), 0);
    HARC arc = seven.fn<ZrArcOpenArchiveFn>("OpenArchive")(nullptr, header.c_str(), 0);
    ASSERT_NE(arc, nullptr);
    TIndividualInfo info{};
    EXPECT_EQ(seven.fn<ZrArcFindFirstFn>("FindFirst")(arc, "*", &info), ZR_ARC_E_ENCRYPTED);
    seven.fn<ZrArcCloseArchiveFn>("CloseArchive")(arc);
    // Damage is no password.
    arc = seven.fn<ZrArcOpenArchiveFn>("OpenArchive")(nullptr, FixturePath("truncated.7z").c_str(), 0);
    if (arc) {
        EXPECT_NE(seven.fn<ZrArcFindFirstFn>("FindFirst")(arc, "*", &info), ZR_ARC_E_ENCRYPTED);
        seven.fn<ZrArcCloseArchiveFn>("CloseArchive")(arc);
    }
}

TEST(SevenZipTruncatedTest, IsRefusedOrFailsWithoutLeavingAHalfFile)
{
    ArchiverLibrary lib(kLib, kPrefix);
    const std::string archive = FixturePath("truncated.7z");
    EXPECT_EQ(lib.check(archive), 0);
    EXPECT_LE(lib.count(archive), 0);
    TempDir dest;
    int result = -1;
    const std::string log = Extract(lib, "x -aoa", archive, dest.path(), "", result);
    EXPECT_NE(result, 0) << log;
    EXPECT_TRUE(FilesBelow(dest.path()).empty()) << log;
}

TEST(SevenZipSelfExtractorTest, AnyStubInFrontIsSkippedButAStubAloneIsNoArchive)
{
    ArchiverLibrary lib(kLib, kPrefix);
    TempDir dir;
    // A shell-script stub: 7z self-extractors for Unix are no DOS executables.
    const fs::path script = dir.path() / "setup.sh";
    WriteFile(script,
              "#!/bin/sh\nexit 0\n" + std::string(5000, '#') + "\n" + ReadFile(FixturePath("sample.7z")));
    EXPECT_NE(lib.check(script.string()), 0);
    EXPECT_EQ(lib.count(script.string()), 8);
    TempDir dest;
    int result = -1;
    const std::string log = Extract(lib, "x -aoa", script.string(), dest.path(), " hello.txt", result);
    EXPECT_EQ(result, 0) << log;
    EXPECT_EQ(ReadFile(dest.path() / "hello.txt"), HelloText());

    // A signature whose start header fails its CRC is a decoy, not an archive.
    std::string decoy = ExecutableStub(4096, true);
    decoy += std::string("7z\xBC\xAF\x27\x1C\x00\x04", 8) + std::string(24, '\x01');
    const fs::path exe = dir.path() / "decoy.exe";
    WriteFile(exe, decoy);
    EXPECT_EQ(lib.check(exe.string()), 0);
    EXPECT_EQ(lib.fn<ZrArcOpenArchiveFn>("OpenArchive")(nullptr, exe.c_str(), 2), nullptr);
}

TEST(SevenZipNameTest, EscapedNameBytesComeBackAsTheirCp932Text)
{
    // 表示.txt in CP932 is 95 5C 8E A6: 7-Zip keeps 95, 8E and A6 as U+EF95,
    // U+EF8E, U+EFA6 and the 5C as a backslash.
    const std::string escaped = "\xEE\xBE\x95\\\xEE\xBE\x8E\xEE\xBE\xA6.txt";
    EXPECT_EQ(UnescapeRawNameBytes(escaped), "\x95\x5C\x8E\xA6.txt");
    EXPECT_EQ(StoredNameToUtf8(UnescapeRawNameBytes(escaped)), "\xE8\xA1\xA8\xE7\xA4\xBA.txt");
    EXPECT_EQ(UnescapeRawNameBytes("plain/\xE8\xA1\xA8.txt"), "plain/\xE8\xA1\xA8.txt");
    // Escapes that give valid UTF-8 back were real characters: kept.
    EXPECT_EQ(UnescapeRawNameBytes("\xEE\xBF\xA3\xEE\xBE\x81\xEE\xBE\x82"),
              "\xEE\xBF\xA3\xEE\xBE\x81\xEE\xBE\x82");
    EXPECT_EQ(UnescapeRawNameBytes("\xEE\xBE"), "\xEE\xBE");  // cut short: left alone
}

// ---- a stop while a solid block is decompressed towards the entry asked for

struct Poll {
    unsigned state;
    std::uint32_t written;
    std::string source;
};
std::vector<Poll> g_polls;
std::size_t g_stopAt = SIZE_MAX;

int RecordPoll(HWND, unsigned, unsigned state, void *info)
{
    const auto *x = static_cast<const TExtractingInfoEx *>(info);
    g_polls.push_back({state, x->dwWriteSize, x->szSourceFileName});
    return g_polls.size() > g_stopAt ? 0 : -1;
}

class SolidStopTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (std::system("command -v 7zz >/dev/null 2>&1") != 0)
            return;
        folder_ = new TempDir;
        const fs::path src = folder_->path() / "src";
        fs::create_directories(src);
        // 24 MiB of varied text before the wanted entry, in one solid block.
        std::string big;
        big.reserve(24u << 20);
        std::uint32_t x = 12345;
        while (big.size() < (24u << 20)) {
            x = x * 1103515245u + 12345u;
            big += "line " + std::to_string(x >> 8) + " of the big file\n";
        }
        WriteFile(src / "a-big.txt", big);
        WriteFile(src / "z-wanted.txt", "wanted\n");
        const std::string cmd = "cd '" + src.string() +
                                "' && 7zz a -bd -bso0 -bsp0 -ms=on -mx1 ../solid.7z a-big.txt z-wanted.txt";
        if (std::system(cmd.c_str()) == 0)
            archive_ = (folder_->path() / "solid.7z").string();
    }
    static void TearDownTestSuite()
    {
        delete folder_;
        folder_ = nullptr;
    }
    void SetUp() override
    {
        if (archive_.empty())
            GTEST_SKIP() << "7zz is not installed";
        g_polls.clear();
    }
    int extractWanted(const ArchiverLibrary &lib, const TempDir &dest, std::size_t stopAt)
    {
        g_stopAt = stopAt;
        lib.fn<ZrArcSetOwnerWindowExFn>("SetOwnerWindowEx")(reinterpret_cast<HWND>(0x77), &RecordPoll);
        const int result =
            lib.command("x -aoa -hide " + Quote(archive_) + " " + Quote(dest.str() + "/") + " z-wanted.txt");
        lib.fn<ZrArcKillOwnerWindowExFn>("KillOwnerWindowEx")(reinterpret_cast<HWND>(0x77));
        return result;
    }

    static TempDir *folder_;
    static std::string archive_;
};

TempDir *SolidStopTest::folder_ = nullptr;
std::string SolidStopTest::archive_;

TEST_F(SolidStopTest, TheCallerIsAskedAgainAndAgainWhileTheSkippedEntryIsDecompressed)
{
    ArchiverLibrary lib(kLib, kPrefix);
    TempDir dest;
    ASSERT_EQ(extractWanted(lib, dest, SIZE_MAX), 0);
    EXPECT_EQ(ReadFile(dest.path() / "z-wanted.txt"), "wanted\n");
    // Only the wanted entry is written, yet the callback heard from the
    // library many times before its data came: the 24 MiB in front were
    // decompressed in small steps, each one a chance to stop.
    std::size_t asks = 0;
    for (const Poll &p : g_polls)
        if (p.state == ZR_ARC_STATE_PROGRESS && p.written == 0)
            ++asks;
    EXPECT_GE(asks, 20u);
    for (const Poll &p : g_polls)
        EXPECT_TRUE(p.source.empty() || p.source == "z-wanted.txt") << p.source;
}

TEST_F(SolidStopTest, AStopDuringTheSkipEndsTheCommandAtOnceAndWritesNothing)
{
    ArchiverLibrary lib(kLib, kPrefix);
    TempDir dest;
    std::string log;
    EXPECT_EQ(extractWanted(lib, dest, 2), ZR_ARC_E_CANCELLED);
    EXPECT_EQ(g_polls.size(), 3u);  // the answer to the third call was heeded
    EXPECT_TRUE(FilesBelow(dest.path()).empty());
    EXPECT_EQ(lib.fn<ZrArcGetRunningFn>("GetRunning")(), 0);
}

}  // namespace
}  // namespace zr::archivers::test
