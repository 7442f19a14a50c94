// What the listing exports report: record fields, wildcards, format checks
// that reject other formats, the tar sub-types and the small exports.
#include <gtest/gtest.h>

#include "archiver_test_support.h"
#include "archivers/core/dos_time.h"
#include "test_archive_writers.h"

namespace zr::archivers::test {
namespace {

const TIndividualInfo *Find(const std::vector<TIndividualInfo> &records, const std::string &name)
{
    for (const auto &r : records)
        if (name == r.szFileName)
            return &r;
    return nullptr;
}

TEST(ListingTest, ZipRecordsCarryMethodSavingRatioDateAndFolders)
{
    ArchiverLibrary zip("libUnzip32.so", "UnZip");
    const auto records = zip.list(FixturePath("sample.zip"));
    const auto *repeat = Find(records, "sub/repeat.txt");
    ASSERT_NE(repeat, nullptr);
    EXPECT_STREQ(repeat->szMode, "Deflate");
    EXPECT_EQ(repeat->dwOriginalSize, 780000u);
    EXPECT_LT(repeat->dwCompressedSize, 10000u);
    EXPECT_GT(repeat->wRatio, 980);  // the saving
    EXPECT_EQ(repeat->dwCRC, Crc32Of(RepeatText()));
    const DosDateTime expected = ToDosDateTime(1580702706);  // 2020-02-03 04:05:06 UTC
    EXPECT_EQ(repeat->wDate, expected.date);
    EXPECT_EQ(repeat->wTime, expected.time);
    const auto *folder = Find(records, "sub/");
    ASSERT_NE(folder, nullptr);
    EXPECT_NE(folder->uFlag & ZR_ARC_FLAG_DIRECTORY, 0u);
    EXPECT_STREQ(Find(records, "hello.txt")->szMode, "Stored");
}

TEST(ListingTest, LhaRecordsCarryTheMethodAndTheCompressedShare)
{
    ArchiverLibrary lha("libUnlha32.so", "Unlha");
    for (const char *fixture : {"sample-h0.lzh", "sample-h1.lzh", "sample-h2.lzh"}) {
        const auto records = lha.list(FixturePath(fixture));
        ASSERT_EQ(records.size(), 4u) << fixture;
        EXPECT_STREQ(records[0].szMode, "-lh0-") << fixture;
        EXPECT_EQ(records[0].dwCompressedSize, 16u) << fixture;  // stored, extended headers not counted
        EXPECT_STREQ(records[3].szMode, "-lh5-") << fixture;
        EXPECT_LT(records[3].wRatio, 20) << fixture;  // compressed / original
        EXPECT_NEAR(records[3].dwCompressedSize * 1000.0 / 780000, records[3].wRatio, 1.0) << fixture;
        EXPECT_EQ(std::string(records[0].szAttribute).size(), 4u) << fixture;
    }
    EXPECT_STREQ(lha.list(FixturePath("lh7.lzh"))[3].szMode, "-lh7-");
}

TEST(ListingTest, CabArjAndTarMethods)
{
    EXPECT_STREQ(ArchiverLibrary("libcab32.so", "Cab").list(FixturePath("mszip.cab"))[0].szMode, "MSZIP");
    const auto arj = ArchiverLibrary("libUnarj32j.so", "Unarj").list(FixturePath("method4.arj"));
    ASSERT_EQ(arj.size(), 2u);
    EXPECT_STREQ(arj[1].szMode, "m4");
    const auto arj1 = ArchiverLibrary("libUnarj32j.so", "Unarj").list(FixturePath("sample.arj"));
    ASSERT_EQ(arj1.size(), 5u);
    EXPECT_STREQ(arj1[3].szMode, "m1");
    EXPECT_STREQ(ArchiverLibrary("libTar32.so", "Tar").list(FixturePath("sample.tgz"))[0].szMode, "gzip");
}

TEST(ListingTest, WildcardsSelectByNameWithoutFolderOrByWholeName)
{
    ArchiverLibrary zip("libUnzip32.so", "UnZip");
    const std::string archive = FixturePath("sample.zip");
    EXPECT_EQ(Names(zip.list(archive, "NUMBERS.TXT")), std::vector<std::string>{"sub/numbers.txt"});
    EXPECT_EQ(Names(zip.list(archive, "sub/*.txt")),
              (std::vector<std::string>{"sub/repeat.txt", "sub/numbers.txt"}));
    EXPECT_EQ(Names(zip.list(archive, "h?llo.txt \"no such.txt\" empty.*")),
              (std::vector<std::string>{"hello.txt", "empty.txt"}));
    EXPECT_EQ(zip.list(archive, "*.*").size(), 8u);
    EXPECT_TRUE(zip.list(archive, "*.doc").empty());
}

TEST(ListingTest, EachLibraryAcceptsOnlyItsOwnFormat)
{
    const std::vector<std::tuple<std::string, std::string, std::string>> own = {
        {"libUnlha32.so", "Unlha", "sample-h2.lzh"}, {"libcab32.so", "Cab", "mszip.cab"},
        {"libTar32.so", "Tar", "sample.tgz"},        {"libUnarj32j.so", "Unarj", "sample.arj"},
        {"libUnzip32.so", "UnZip", "sample.zip"},    {"lib7z32.so", "SevenZip", "sample.7z"}};
    for (const auto &[file, prefix, mine] : own) {
        ArchiverLibrary lib(file, prefix);
        for (const auto &[otherFile, otherPrefix, other] : own) {
            const int expected = mine == other ? 1 : 0;
            EXPECT_EQ(lib.check(FixturePath(other)) != 0, expected == 1) << prefix << " on " << other;
        }
        EXPECT_EQ(lib.check(FixturePath("make-fixtures.sh")), 0) << prefix;
        EXPECT_EQ(lib.check("/nonexistent/zr.archive"), 0) << prefix;
        EXPECT_LT(lib.count("/nonexistent/zr.archive"), 0) << prefix;
        EXPECT_EQ(lib.fn<ZrArcOpenArchiveFn>("OpenArchive")(nullptr, "/nonexistent/zr.archive", 2), nullptr);
    }
}

TEST(ListingTest, TarSubTypes)
{
    ArchiverLibrary tar("libTar32.so", "Tar");
    auto type = tar.fn<ZrArcGetArchiveTypeFn>("GetArchiveType");
    EXPECT_EQ(type(FixturePath("sample.tar").c_str()), ZR_TAR_TYPE_TAR);
    EXPECT_EQ(type(FixturePath("sample.tgz").c_str()), ZR_TAR_TYPE_TARGZ);
    EXPECT_EQ(type(FixturePath("sample.tar.Z").c_str()), ZR_TAR_TYPE_TARZ);
    EXPECT_EQ(type(FixturePath("repeat.txt.gz").c_str()), ZR_TAR_TYPE_GZ);
    EXPECT_EQ(type(FixturePath("repeat.txt.Z").c_str()), ZR_TAR_TYPE_Z);
    EXPECT_EQ(type(FixturePath("sample.tar.bz2").c_str()), ZR_TAR_TYPE_TARBZ2);
    EXPECT_EQ(type(FixturePath("repeat.txt.bz2").c_str()), ZR_TAR_TYPE_BZ2);
    EXPECT_EQ(type(FixturePath("sample.tar.xz").c_str()), ZR_TAR_TYPE_TARXZ);
    EXPECT_EQ(type(FixturePath("repeat.txt.xz").c_str()), ZR_TAR_TYPE_XZ);
    EXPECT_EQ(type(FixturePath("sample.tar.zst").c_str()), ZR_TAR_TYPE_TARZSTD);
    EXPECT_EQ(type(FixturePath("repeat.txt.zst").c_str()), ZR_TAR_TYPE_ZSTD);
    EXPECT_EQ(type(FixturePath("sample.tar.lz4").c_str()), ZR_TAR_TYPE_TARLZ4);
    EXPECT_EQ(type(FixturePath("sample.tar.lz").c_str()), ZR_TAR_TYPE_TARLZIP);
    EXPECT_EQ(type(FixturePath("sample.zip").c_str()), ZR_TAR_TYPE_NONE);
    EXPECT_EQ(type(FixturePath("sample.7z").c_str()), ZR_TAR_TYPE_NONE);
    EXPECT_EQ(type(FixturePath("make-fixtures.sh").c_str()), ZR_TAR_TYPE_NONE);
    EXPECT_EQ(tar.check(FixturePath("make-fixtures.sh")), 0);  // plain text is no "raw" archive
}

TEST(SmallExportsTest, VersionCursorRunningAndHandles)
{
    ArchiverLibrary cab("libcab32.so", "Cab");
    EXPECT_EQ(cab.fn<ZrArcGetVersionFn>("GetVersion")(), 100);
    ArchiverLibrary lha("libUnlha32.so", "Unlha");
    auto setCursor = lha.fn<ZrArcSetCursorModeFn>("SetCursorMode");
    const int before = lha.fn<ZrArcGetCursorModeFn>("GetCursorMode")();
    EXPECT_EQ(setCursor(0), before);
    EXPECT_EQ(lha.fn<ZrArcGetCursorModeFn>("GetCursorMode")(), 0);
    setCursor(before);
    EXPECT_EQ(lha.fn<ZrArcGetRunningFn>("GetRunning")(), 0);
    ArchiverLibrary zip32j("libZip32j.so", "Zip");
    ASSERT_TRUE(zip32j.loaded());
    EXPECT_EQ(zip32j.fn<ZrArcGetRunningFn>("GetRunning")(), 0);

    TIndividualInfo info{};
    int dummy = 0;
    EXPECT_NE(lha.fn<ZrArcFindFirstFn>("FindFirst")(&dummy, "*", &info), 0);
    EXPECT_NE(lha.fn<ZrArcCloseArchiveFn>("CloseArchive")(&dummy), 0);
}

TEST(SmallExportsTest, FindFirstRestartsTheEnumeration)
{
    ArchiverLibrary lha("libUnlha32.so", "Unlha");
    const std::string archive = FixturePath("sample-h2.lzh");
    HARC arc = lha.fn<ZrArcOpenArchiveFn>("OpenArchive")(nullptr, archive.c_str(), 2);
    ASSERT_NE(arc, nullptr);
    TIndividualInfo info{};
    auto first = lha.fn<ZrArcFindFirstFn>("FindFirst");
    auto next = lha.fn<ZrArcFindNextFn>("FindNext");
    ASSERT_EQ(first(arc, "*", &info), 0);
    ASSERT_EQ(next(arc, &info), 0);
    ASSERT_EQ(first(arc, "*", &info), 0);
    EXPECT_STREQ(info.szFileName, "hello.txt");
    while (next(arc, &info) == 0) {
    }
    EXPECT_EQ(next(arc, &info), ZR_ARC_FIND_END);
    EXPECT_EQ(lha.fn<ZrArcCloseArchiveFn>("CloseArchive")(arc), 0);
}

}  // namespace
}  // namespace zr::archivers::test

namespace zr::archivers::test {
namespace {

TEST(BrokenHeaderTest, LhaWithJunkInFrontNeedsTheTolerantModes)
{
    ArchiverLibrary lha("libUnlha32.so", "Unlha");
    TempDir dir;
    const auto path = dir.path() / "junk.lzh";
    WriteFile(path, std::string(300, 'j') + ReadFile(FixturePath("sample-h1.lzh")));
    EXPECT_EQ(lha.check(path.string(), 1), 0);
    EXPECT_NE(lha.check(path.string(), 5), 0);
    EXPECT_TRUE(lha.list(path.string(), "*", 2).empty());
    EXPECT_EQ(lha.list(path.string(), "*", 0x08000002).size(), 4u);
    TempDir dest;
    EXPECT_NE(lha.command("x -m1c " + Quote(path.string()) + " " + Quote(dest.str() + "/")), 0);
    EXPECT_EQ(lha.command("x -m1c -jc1 " + Quote(path.string()) + " " + Quote(dest.str() + "/")), 0);
    EXPECT_EQ(ReadFile(dest.path() / "sub" / "repeat.txt"), RepeatText());
}

}  // namespace
}  // namespace zr::archivers::test

namespace zr::archivers::test {
namespace {

// Names that are valid UTF-8 stay as they are; only the others are CP932.
// LHA and CAB have no charset flag of their own (CAB's aside), so the
// archive's names decide, also when they are valid CP932 too ("é" = C3 A9).
TEST(NameCharsetTest, Utf8NamesOfLhaAndCabStayAndCp932OnesAreConverted)
{
    const std::vector<Member> utf8 = {{"sub/日本語.txt", "utf"}, {"é.txt", "e"}};
    const std::vector<Member> cp932 = {{"sub/\x95\x5c\x8e\xa6.txt", "sjis"}, {"\x83\x65.txt", "te"}};
    struct Case {
        const char *library, *prefix, *switches;
        std::string (*write)(const std::vector<Member> &);
    };
    for (const Case &c : {Case{"libUnlha32.so", "Unlha", "x -m1c", &MakeStoredLha0},
                          Case{"libUnlha32.so", "Unlha", "x -m1c", &MakeStoredLha2},
                          Case{"libcab32.so", "Cab", "-x -o", &MakeStoredCab}}) {
        for (const auto &[members, names] :
             {std::pair{utf8, std::vector<std::string>{"sub/日本語.txt", "é.txt"}},
              std::pair{cp932, std::vector<std::string>{"sub/表示.txt", "テ.txt"}}}) {
            ArchiverLibrary lib(c.library, c.prefix);
            TempDir dir;
            const auto path = dir.path() / "names.bin";
            WriteFile(path, c.write(members));
            SCOPED_TRACE(std::string(c.prefix) + " " + names[0]);
            EXPECT_NE(lib.check(path.string()), 0);
            EXPECT_EQ(Names(lib.list(path.string())), names);
            const fs::path dest = dir.path() / "dest";
            EXPECT_EQ(lib.command(std::string(c.switches) + " " + Quote(path.string()) + " " +
                                  Quote(dest.string() + "/")),
                      0);
            EXPECT_EQ(ReadFile(dest / names[0]), members[0].data);
            EXPECT_EQ(ReadFile(dest / names[1]), members[1].data);
        }
    }
}

}  // namespace
}  // namespace zr::archivers::test
