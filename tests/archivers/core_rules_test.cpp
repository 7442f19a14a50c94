// Rules of the shared core that need no archive: wildcards, command lines,
// response files, the libraries' switches, safe paths, names and ratios.
#include <gtest/gtest.h>

#include "archiver_test_support.h"
#include "archivers/core/command_dialects.h"
#include "archivers/core/command_line.h"
#include "archivers/core/dos_time.h"
#include "archivers/core/entry_record.h"
#include "archivers/core/safe_path.h"
#include "archivers/core/stored_name.h"
#include "archivers/core/wildcard.h"
#include "platform/mbchar.h"

namespace zr::archivers {
namespace {

TEST(NameFilterTest, PatternWithoutFolderMatchesTheNameWithoutFolder)
{
    const NameFilter filter({"*.TXT"});
    EXPECT_TRUE(filter.matches("sub/deeper/readme.txt"));
    EXPECT_TRUE(filter.matches("a.txt"));
    EXPECT_FALSE(filter.matches("sub.txt/data.bin"));
}

TEST(NameFilterTest, PatternWithFolderMatchesTheWholeNameWithEitherSeparator)
{
    const NameFilter filter({"sub\\*.txt"});
    EXPECT_TRUE(filter.matches("sub/a.txt"));
    EXPECT_FALSE(filter.matches("other/sub/a.txt"));
    EXPECT_FALSE(filter.matches("a.txt"));
}

TEST(NameFilterTest, StarAndStarDotStarMatchEverythingIncludingFolders)
{
    for (const char *all : {"*", "*.*"}) {
        const NameFilter filter({all});
        EXPECT_TRUE(filter.matches("noextension"));
        EXPECT_TRUE(filter.matches("sub/"));
        EXPECT_TRUE(filter.matchesAll());
    }
}

TEST(NameFilterTest, QuestionMarkIsOneCharacterAndFoldersMatchWithoutTheirSlash)
{
    EXPECT_TRUE(NameFilter({"a?c"}).matches("dir/abc"));
    EXPECT_FALSE(NameFilter({"a?c"}).matches("ac"));
    EXPECT_TRUE(NameFilter({"sub"}).matches("sub/"));
    EXPECT_TRUE(NameFilter({"A?C"}).matches("abc"));  // letters without case
    {
        zr::platform::ScopedCodePageMode utf8(zr::platform::CodePageMode::Utf8);
        EXPECT_TRUE(NameFilter({"?.txt"}).matches("docs/\xE3\x81\x82.txt"));  // あ
    }
    {
        zr::platform::ScopedCodePageMode cp932(zr::platform::CodePageMode::Cp932);
        EXPECT_TRUE(NameFilter({"?.txt"}).matches("docs/\x82\xA0.txt"));
        EXPECT_FALSE(NameFilter({"??.txt"}).matches("\x82\xA0.txt"));
    }
}

TEST(WildcardListTest, SplitsOnBlanksAndKeepsQuotedBlanks)
{
    EXPECT_EQ(SplitWildcardList(R"(*.txt  "my file.doc" sub/*)"),
              (std::vector<std::string>{"*.txt", "my file.doc", "sub/*"}));
    EXPECT_TRUE(SplitWildcardList("   ").empty());
}

TEST(CommandLineTest, QuotesGroupBlanksAndDoubledQuotesAreLiteral)
{
    const auto tokens = TokenizeCommandLine(R"(x -n "a b.lzh" "say ""hi"".txt" plain)");
    ASSERT_EQ(tokens.size(), 5u);
    EXPECT_EQ(tokens[2].text, "a b.lzh");
    EXPECT_TRUE(tokens[2].quoted);
    EXPECT_EQ(tokens[3].text, "say \"hi\".txt");
    EXPECT_FALSE(tokens[4].quoted);
}

TEST(ResponseFileTest, ReadsQuotedNamesOnCrLfLinesAndSkipsBlankLines)
{
    test::TempDir dir;
    const auto path = dir.path() / "Response.txt";
    test::WriteFile(path, "\"a b.txt\"\r\n\r\n\"say \"\"hi\"\".txt\"\r\nplain.txt\n");
    const auto names = ReadResponseFile(path.string());
    ASSERT_TRUE(names.has_value());
    EXPECT_EQ(*names, (std::vector<std::string>{"a b.txt", "say \"hi\".txt", "plain.txt"}));
    EXPECT_FALSE(ReadResponseFile((dir.path() / "missing.txt").string()).has_value());
}

TEST(DialectTest, LhaCommandOfTheSearchKeepsFoldersOverwritesAndToleratesBrokenHeaders)
{
    test::TempDir dest;
    const auto parsed =
        ParseExtractCommand("x -+jf- -d -a1 -m1c -l0 -jc1 -jf0 -n -gp0 -gm -w/tmp/work \"arc.lzh\" \"" +
                                dest.str() + "/\" \"a.txt\"",
                            LhaDialect());
    ASSERT_EQ(parsed.error, 0) << parsed.message;
    EXPECT_TRUE(parsed.request.keepFolders);
    EXPECT_EQ(parsed.request.overwrite, OverwritePolicy::kAlways);
    EXPECT_TRUE(parsed.request.tolerateBrokenHeaders);
    EXPECT_TRUE(parsed.request.silent);
    EXPECT_EQ(parsed.request.archive, "arc.lzh");
    EXPECT_EQ(parsed.request.destination, dest.str() + "/");
    EXPECT_EQ(parsed.request.names, std::vector<std::string>{"a.txt"});
}

TEST(DialectTest, QuotedWorkFolderSwitchWithBlanksIsASwitch)
{
    const auto parsed =
        ParseExtractCommand("e \"-w/tmp/my work\" -m1c0 \"arc.lzh\" \"name.txt\"", LhaDialect());
    ASSERT_EQ(parsed.error, 0);
    EXPECT_FALSE(parsed.request.keepFolders);
    EXPECT_EQ(parsed.request.overwrite, OverwritePolicy::kIfNewer);
    EXPECT_EQ(parsed.request.archive, "arc.lzh");
    EXPECT_EQ(parsed.request.names, std::vector<std::string>{"name.txt"});  // not a folder: a name
}

TEST(DialectTest, EachLibraryReadsItsOverwriteAndFolderSwitches)
{
    EXPECT_EQ(ParseExtractCommand("-u -o -C -s --i \"a.zip\"", UnzipDialect()).request.overwrite,
              OverwritePolicy::kIfNewer);
    EXPECT_EQ(ParseExtractCommand("-x -j -n \"a.zip\"", UnzipDialect()).request.overwrite,
              OverwritePolicy::kNever);
    EXPECT_FALSE(ParseExtractCommand("-x -j \"a.zip\"", UnzipDialect()).request.keepFolders);
    EXPECT_EQ(ParseExtractCommand("--use-directory=1 -x -v -f \"a.tar\"", TarDialect()).request.overwrite,
              OverwritePolicy::kAlways);
    EXPECT_EQ(ParseExtractCommand("--use-directory=0 -q -x -v -f \"a.tar\"", TarDialect()).request.overwrite,
              OverwritePolicy::kNever);
    EXPECT_FALSE(ParseExtractCommand("--use-directory=0 -x -f \"a.tar\"", TarDialect()).request.keepFolders);
    EXPECT_EQ(ParseExtractCommand("x -p1 -jyc -jyo -n -hk -i \"a.arj\"", ArjDialect()).request.overwrite,
              OverwritePolicy::kNever);
    EXPECT_EQ(ParseExtractCommand("-e -o- \"a.rar\"", RarDialect()).request.overwrite,
              OverwritePolicy::kNever);
    EXPECT_FALSE(ParseExtractCommand("-e \"a.rar\"", RarDialect()).request.keepFolders);
    EXPECT_EQ(ParseExtractCommand("-x -o -k -i \"a.cab\"", CabDialect()).request.overwrite,
              OverwritePolicy::kAlways);
    EXPECT_EQ(ParseExtractCommand("-x \"a.cab\"", CabDialect()).request.overwrite, OverwritePolicy::kAsk);
}

TEST(DialectTest, MalformedCommandsAreErrors)
{
    EXPECT_EQ(ParseExtractCommand("x -n", LhaDialect()).error, ZR_ARC_E_COMMAND);
    EXPECT_EQ(ParseExtractCommand("d \"a.lzh\"", LhaDialect()).error, ZR_ARC_E_COMMAND);
    EXPECT_EQ(ParseExtractCommand("", CabDialect()).error, ZR_ARC_E_COMMAND);
    EXPECT_EQ(ParseExtractCommand("-x \"a.rar\" \"@/nonexistent/zr-response\"", RarDialect()).error,
              ZR_ARC_E_RESPONSE_FILE);
}

TEST(DialectTest, ArjReadsResponseFilesAfterAnExclamationMark)
{
    test::TempDir dir;
    const auto list = dir.path() / "list.txt";
    test::WriteFile(list, "\"one.txt\"\r\n\"two.txt\"\r\n");
    const auto parsed = ParseExtractCommand(
        "x -p1 \"a.arj\" \"" + dir.str() + "/\" \"!" + list.string() + "\"", ArjDialect());
    ASSERT_EQ(parsed.error, 0);
    EXPECT_EQ(parsed.request.names, (std::vector<std::string>{"one.txt", "two.txt"}));
}

TEST(SafePathTest, RefusesEscapesAbsoluteNamesDrivesAndDevices)
{
    for (const char *bad : {"../x", "a/../../x", "..\\x", "/etc/passwd", "\\x", "C:/x", "c:x", "NUL",
                            "con.txt", "sub/LPT1", "", ".."})
        EXPECT_FALSE(MakeSafeRelativePath(bad, true).ok) << bad;
}

TEST(SafePathTest, KeepsOrDropsFoldersAndSkipsDotElements)
{
    EXPECT_EQ(MakeSafeRelativePath("./a//b\\c.txt", true).components,
              (std::vector<std::string>{"a", "b", "c.txt"}));
    EXPECT_EQ(MakeSafeRelativePath("a/b/c.txt", false).components, std::vector<std::string>{"c.txt"});
    EXPECT_TRUE(MakeSafeRelativePath("console.txt", true).ok);
    EXPECT_TRUE(MakeSafeRelativePath("COM10", true).ok);
}

TEST(StoredNameTest, Utf8StaysAndCp932IsConverted)
{
    EXPECT_EQ(StoredNameToUtf8("\xE8\xA1\xA8.txt"), "\xE8\xA1\xA8.txt");
    EXPECT_EQ(StoredNameToUtf8("\x95\x5C.txt"), "\xE8\xA1\xA8.txt");  // 表 in CP932
}

TEST(StoredNameTest, RepairsTrailBytesTurnedIntoSlashes)
{
    // dir\表示.txt read with every 0x5C turned into "/".
    EXPECT_EQ(RepairCp932TrailSlashes("dir/\x95/\x8E\xA6.txt"), "dir/\x95\\\x8E\xA6.txt");
    EXPECT_EQ(StoredNameToUtf8(RepairCp932TrailSlashes("dir/\x95/\x8E\xA6.txt")),
              "dir/\xE8\xA1\xA8\xE7\xA4\xBA.txt");
    EXPECT_EQ(RepairCp932TrailSlashes("plain/ascii"), "plain/ascii");
}

TEST(RecordTest, RatioIsTheShareOrTheSavingInTenthsOfAPercent)
{
    EXPECT_EQ(RatioPermille(1000, 250, RatioSense::kCompressedShare), 250);
    EXPECT_EQ(RatioPermille(1000, 250, RatioSense::kSaving), 750);
    EXPECT_EQ(RatioPermille(0, 10, RatioSense::kCompressedShare), 0);
    EXPECT_EQ(RatioPermille(100, 120, RatioSense::kSaving), 0);
}

TEST(RecordTest, LongNamesAreCutOnACharacterBoundaryAndSizesClamped)
{
    EntryInfo entry;
    for (int i = 0; i < 200; ++i)
        entry.name += "\xE8\xA1\xA8";  // 600 bytes
    entry.size = 5'000'000'000ull;
    entry.method = "VeryLongMethod";
    TIndividualInfo record;
    FillIndividualInfo(entry, RatioSense::kCompressedShare, record);
    EXPECT_EQ(std::string(record.szFileName).size(), 510u);
    EXPECT_EQ(record.dwOriginalSize, 0xFFFFFFFFu);
    EXPECT_EQ(std::string(record.szMode), "VeryLon");
}

TEST(DosTimeTest, RoundTripsAndClampsBefore1980)
{
    std::tm tm{};
    tm.tm_year = 120;
    tm.tm_mon = 1;
    tm.tm_mday = 3;
    tm.tm_hour = 4;
    tm.tm_min = 5;
    tm.tm_sec = 6;
    tm.tm_isdst = -1;
    const std::time_t t = std::mktime(&tm);
    const DosDateTime dos = ToDosDateTime(t);
    EXPECT_EQ(dos.date, ((2020 - 1980) << 9) | (2 << 5) | 3);
    EXPECT_EQ(dos.time, (4 << 11) | (5 << 5) | 3);
    EXPECT_EQ(FromDosDateTime((static_cast<std::uint32_t>(dos.date) << 16) | dos.time), t);
    EXPECT_EQ(ToDosDateTime(0).date, (1 << 5) | 1);
}

}  // namespace
}  // namespace zr::archivers
