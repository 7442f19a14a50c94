// The open modes the archive control passes (per library, with and without
// broken LHA headers tolerated) must list what the plain listing mode lists,
// on every committed fixture and shared sample; and the tolerant LHA mode
// keeps the entries before a broken header further on.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>

#include "archiver_test_support.h"
#include "test_archive_writers.h"

namespace zr::archivers::test {
namespace {

constexpr std::uint32_t kListMode = 2;
constexpr std::uint32_t kLhaTolerantListMode = 0x08000002;
constexpr int kLhaTolerantCheckMode = 5;

struct LibraryModes {
    const char *library;
    const char *prefix;
    std::vector<std::uint32_t> openModes;
};

// The library for an archive file by its name; null for anything else.
const LibraryModes *LibraryFor(const fs::path &file)
{
    static const LibraryModes lha{
        "libUnlha32.so", "Unlha", {kListMode, kLhaTolerantListMode, 0x2201, 0x2205}};
    static const LibraryModes cab{"libcab32.so", "Cab", {0, kListMode}};
    static const LibraryModes tar{"libTar32.so", "Tar", {0, kListMode}};
    static const LibraryModes arj{"libUnarj32j.so", "Unarj", {kListMode, 0x20002201}};
    static const LibraryModes rar{"libunrar32.so", "Unrar", {kListMode}};
    static const LibraryModes zip{"libUnzip32.so", "UnZip", {kListMode}};
    const std::string name = file.filename().string();
    const std::string ext = file.extension().string();
    if (ext == ".lzh")
        return &lha;
    if (ext == ".cab")
        return &cab;
    if (ext == ".tar" || ext == ".tgz" || ext == ".Z" || ext == ".bz2" || ext == ".gz")
        return &tar;
    if (ext == ".arj" || (ext.size() == 4 && ext.compare(0, 2, ".a") == 0 && std::isdigit(ext[2])))
        return &arj;
    if (ext == ".rar" || (ext == ".exe" && name.find("rar") != std::string::npos))
        return &rar;
    if (ext == ".zip")
        return &zip;
    return nullptr;
}

std::vector<fs::path> ArchivesIn(const std::string &folder)
{
    std::vector<fs::path> files;
    if (folder.empty() || !fs::is_directory(folder))
        return files;
    for (const auto &e : fs::directory_iterator(folder))
        if (e.is_regular_file() && LibraryFor(e.path()) &&
            e.path().filename().string().find("fuzz") == std::string::npos)
            files.push_back(e.path());
    return files;
}

void ExpectEveryModeListsAlike(const fs::path &file)
{
    const LibraryModes &modes = *LibraryFor(file);
    ArchiverLibrary lib(modes.library, modes.prefix);
    ASSERT_TRUE(lib.loaded()) << modes.library;
    if (lib.check(file.string()) == 0)
        return;  // a damaged fixture: other tests cover it
    SCOPED_TRACE(file.string());
    const auto names = Names(lib.list(file.string(), "*", kListMode));
    EXPECT_EQ(static_cast<int>(names.size()), lib.count(file.string()));
    for (const std::uint32_t mode : modes.openModes)
        EXPECT_EQ(Names(lib.list(file.string(), "*", mode)), names) << "mode " << std::hex << mode;
    if (std::string(modes.prefix) == "Unlha") {
        EXPECT_NE(lib.check(file.string(), kLhaTolerantCheckMode), 0);
    }
}

TEST(ListingModesTest, EveryModeOfTheArchiveControlListsCommittedFixturesAlike)
{
    const char *source = std::getenv("ZR_SOURCE_DIR");
    const std::string root = std::string(source ? source : ".") + "/tests/archivers";
    auto files = ArchivesIn(root + "/fixtures");
    const auto arj = ArchivesIn(root + "/arj/fixtures");
    files.insert(files.end(), arj.begin(), arj.end());
    ASSERT_GT(files.size(), 20u);
    for (const auto &file : files)
        ExpectEveryModeListsAlike(file);
}

TEST(ListingModesTest, EveryModeOfTheArchiveControlListsSharedSamplesAlike)
{
    const std::string folder = SharedFixture("libarchive-samples");
    if (folder.empty())
        GTEST_SKIP() << "no shared libarchive samples";
    for (const auto &file : ArchivesIn(folder))
        ExpectEveryModeListsAlike(file);
}

TEST(ListingModesTest, HeaderLevelThreeListsAndExtractsWithBrokenHeadersTolerated)
{
    const std::vector<Member> members = {
        {"docs", "", true}, {"docs/\x95\x5c.txt", "level three"}, {"top.bin", std::string(3000, 'x')}};
    const std::vector<std::string> names = {"docs/", "docs/表.txt", "top.bin"};
    ArchiverLibrary lha("libUnlha32.so", "Unlha");
    TempDir dir;
    const auto path = (dir.path() / "level3.lzh").string();
    WriteFile(path, MakeStoredLha3(members));
    EXPECT_NE(lha.check(path), 0);
    EXPECT_NE(lha.check(path, kLhaTolerantCheckMode), 0);
    EXPECT_EQ(lha.count(path), 3);
    EXPECT_EQ(Names(lha.list(path, "*", kListMode)), names);
    const auto records = lha.list(path, "*", kLhaTolerantListMode);
    ASSERT_EQ(Names(records), names);
    EXPECT_STREQ(records[1].szMode, "-lh0-");
    EXPECT_EQ(records[2].dwOriginalSize, 3000u);
    EXPECT_EQ(records[2].dwCompressedSize, 3000u);
    EXPECT_EQ(records[2].dwCRC, Crc16Of(std::string(3000, 'x')));

    // A self-extracting form is found by the header check of level 3 too.
    const std::string sfx = MakeSelfExtractor(dir.path(), path, 48 * 1024);
    EXPECT_EQ(Names(lha.list(sfx, "*", kLhaTolerantListMode)), names);

    const fs::path dest = dir.path() / "out";
    EXPECT_EQ(lha.command("x -m1c -jc1 -n " + Quote(path) + " " + Quote(dest.string() + "/")), 0);
    EXPECT_EQ(ReadFile(dest / "docs/表.txt"), "level three");
    EXPECT_EQ(ReadFile(dest / "top.bin"), std::string(3000, 'x'));
}

// Three stored level-0 members; the second one's header checksum is broken.
std::string LhaWithBrokenSecondHeader()
{
    const std::string first = MakeStoredLha0({{"first.txt", "one"}});
    std::string rest = MakeStoredLha0({{"second.txt", "two"}, {"third.txt", "three"}});
    rest[1] = static_cast<char>(rest[1] ^ 0x5A);
    return first.substr(0, first.size() - 1) + rest;  // without the first end mark
}

TEST(ListingModesTest, TolerantLhaKeepsTheEntriesBeforeABrokenHeader)
{
    ArchiverLibrary lha("libUnlha32.so", "Unlha");
    TempDir dir;
    const auto path = (dir.path() / "broken.lzh").string();
    WriteFile(path, LhaWithBrokenSecondHeader());

    EXPECT_EQ(lha.check(path), 0);
    EXPECT_NE(lha.check(path, kLhaTolerantCheckMode), 0);
    EXPECT_LT(lha.count(path), 0);

    // Plainly the listing stops with an error; tolerated it simply ends.
    for (const auto &[mode, lastResult] :
         {std::pair{kListMode, ZR_ARC_E_DATA}, std::pair{kLhaTolerantListMode, ZR_ARC_FIND_END}}) {
        SCOPED_TRACE(mode);
        HARC arc = lha.fn<ZrArcOpenArchiveFn>("OpenArchive")(nullptr, path.c_str(), mode);
        ASSERT_NE(arc, nullptr);
        TIndividualInfo info{};
        EXPECT_EQ(lha.fn<ZrArcFindFirstFn>("FindFirst")(arc, "*", &info), ZR_ARC_FIND_OK);
        EXPECT_STREQ(info.szFileName, "first.txt");
        EXPECT_EQ(lha.fn<ZrArcFindNextFn>("FindNext")(arc, &info), lastResult);
        lha.fn<ZrArcCloseArchiveFn>("CloseArchive")(arc);
    }

    const fs::path tolerated = dir.path() / "tolerated";
    std::string log;
    EXPECT_EQ(lha.command("x -m1c -jc1 -n " + Quote(path) + " " + Quote(tolerated.string() + "/"), &log), 0);
    EXPECT_EQ(ReadFile(tolerated / "first.txt"), "one");
    EXPECT_NE(log.find("Broken header"), std::string::npos) << log;

    const fs::path strict = dir.path() / "strict";
    EXPECT_NE(lha.command("x -m1c -n " + Quote(path) + " " + Quote(strict.string() + "/")), 0);
    EXPECT_EQ(ReadFile(strict / "first.txt"), "one");
}

}  // namespace
}  // namespace zr::archivers::test
