// Condition files and archive-set files.

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "search/archive_set_file.h"
#include "search/condition_file.h"
#include "test_support/temp_env.h"

namespace zr::search {
namespace {

using zr::testing::ReadFileBytes;
using zr::testing::WriteFileBytes;

class ConditionFileTest : public ::testing::Test {
protected:
    zr::test::ScratchFolder folder_;
    std::string path_ = folder_ / "cond.ZrSrh";
};

TEST_F(ConditionFileTest, RoundTripKeepsEveryValue)
{
    SearchConditions c;
    c.searchText = "表示|a.c";
    c.archiveName = "abc*.lzh";
    c.folder = "/data/アーカイブ";
    c.storedFiles = "*.txt;*.doc";
    c.subFolders = false;
    c.allTypes = false;
    c.zip = c.rar = c.sfx = true;
    c.regularExpression = false;
    c.fuzzy = false;
    WriteConditionFile(path_, c);
    const ConditionFileResult read = ReadConditionFile(path_, SearchConditions{});
    ASSERT_TRUE(read.Ok());
    EXPECT_EQ(read.conditions, c);
}

TEST_F(ConditionFileTest, WritesTheThirteenValuesInOrder)
{
    WriteFileBytes(path_, "stale contents\n[Other]\nx=1\n");
    SearchConditions c;
    c.searchText = "abc";
    c.folder = "/d";
    WriteConditionFile(path_, c);
    EXPECT_EQ(
        ReadFileBytes(path_),
        "[Condition]\nChar=abc\nFile=*.*\nPath=/d\nItem=*.*\n"
        "[Option]\nRecurse=1\nAllType=1\nLhaType=0\nZipType=0\nArjType=0\nCabType=0\nTarType=0\nRarType=0\n"
        "SfxType=0\nSevenZipType=0\nRegExp=1\nFuzzy=1\nDocumentType=1\nNestedArchives=1\n");
}

// Files written before the 7z switch load as before (the switch off, even
// when it was on), and a new file keeps every designed line where it was, so
// an older reader takes the same values and skips the one it does not know.
TEST_F(ConditionFileTest, SevenZipSwitchIsCompatibleBothWays)
{
    WriteFileBytes(path_,
                   "[Condition]\nChar=abc\nFile=*.*\nPath=/d\nItem=*.txt\n"
                   "[Option]\nRecurse=0\nAllType=0\nLhaType=0\nZipType=1\nArjType=0\nCabType=0\nTarType=0\n"
                   "RarType=1\nSfxType=0\n");
    SearchConditions current;
    current.sevenZip = true;
    current.regularExpression = current.fuzzy = false;
    const ConditionFileResult old = ReadConditionFile(path_, current);
    ASSERT_TRUE(old.Ok());
    EXPECT_FALSE(old.conditions.sevenZip);
    // Text matching switches a file does not name match as they always did.
    EXPECT_TRUE(old.conditions.regularExpression && old.conditions.fuzzy);
    EXPECT_TRUE(old.conditions.zip && old.conditions.rar);
    EXPECT_FALSE(old.conditions.allTypes || old.conditions.subFolders);

    SearchConditions c = old.conditions;
    c.sevenZip = true;
    WriteConditionFile(path_, c);
    const std::string bytes = ReadFileBytes(path_);
    EXPECT_NE(bytes.find("RarType=1\nSfxType=0\nSevenZipType=1\nRegExp=1\nFuzzy=1\n"), std::string::npos)
        << bytes;
    const ConditionFileResult read = ReadConditionFile(path_, SearchConditions{});
    ASSERT_TRUE(read.Ok());
    EXPECT_EQ(read.conditions, c);
}

TEST_F(ConditionFileTest, BlanksAndQuotesAreStrippedOnReading)
{
    SearchConditions c;
    c.searchText = "  padded  ";
    c.archiveName = "\"quoted\"";
    c.folder = "/d";
    WriteConditionFile(path_, c);
    const ConditionFileResult read = ReadConditionFile(path_, SearchConditions{});
    ASSERT_TRUE(read.Ok());
    EXPECT_EQ(read.conditions.searchText, "padded");
    EXPECT_EQ(read.conditions.archiveName, "quoted");
}

TEST_F(ConditionFileTest, DisabledTypeBoxKeepsItsMark)
{
    SearchConditions c;
    c.allTypes = true;
    c.zip = true;
    c.folder = "/d";
    WriteConditionFile(path_, c);
    const ConditionFileResult read = ReadConditionFile(path_, SearchConditions{});
    EXPECT_TRUE(read.conditions.allTypes);
    EXPECT_TRUE(read.conditions.zip);
}

TEST_F(ConditionFileTest, EmptyPathKeepsTheCurrentFolderAndBadNumbersGiveDefaults)
{
    WriteFileBytes(path_, "[Condition]\nChar=x\nPath=\n[Option]\nRecurse=yes\nAllType=0\nZipType=7\n");
    SearchConditions current;
    current.folder = "/current";
    current.subFolders = false;
    current.storedFiles = "*.c";
    const ConditionFileResult read = ReadConditionFile(path_, current);
    ASSERT_TRUE(read.Ok());
    EXPECT_EQ(read.conditions.folder, "/current");
    EXPECT_TRUE(read.conditions.subFolders);  // not a number: the default
    EXPECT_FALSE(read.conditions.allTypes);
    EXPECT_TRUE(read.conditions.zip);            // any number but 0 is true
    EXPECT_EQ(read.conditions.archiveName, "");  // missing values read empty
    EXPECT_EQ(read.conditions.storedFiles, "");
}

TEST_F(ConditionFileTest, FilesThatAreNotConditionFilesChangeNothing)
{
    SearchConditions current;
    current.searchText = "keep";
    WriteFileBytes(path_, std::string("\x00\x01\x02\x03[Condition]\n", 16));
    ConditionFileResult read = ReadConditionFile(path_, current);
    EXPECT_EQ(read.status, ConditionFileStatus::NotText);
    EXPECT_EQ(read.conditions, current);

    EXPECT_EQ(ReadConditionFile(folder_ / "missing.ZrSrh", current).status, ConditionFileStatus::NotText);

    WriteFileBytes(path_, "[Condition]\nChar=x\n");
    read = ReadConditionFile(path_, current);
    EXPECT_EQ(read.status, ConditionFileStatus::MissingSection);
    EXPECT_EQ(read.conditions, current);
}

// Oversized files and search strings are refused with their own reason
// before they are read whole; the current conditions stay as they were.
TEST_F(ConditionFileTest, HugeFilesAndSearchStringsAreRefusedWithoutBeingRead)
{
    SearchConditions current;
    current.searchText = "current";
    const auto expectRefused = [&](ConditionFileStatus status) {
        const ConditionFileResult read = ReadConditionFile(path_, current);
        EXPECT_EQ(read.status, status);
        EXPECT_EQ(read.conditions, current);
        EXPECT_FALSE(ConditionFileProblem(status).empty());
    };

    {  // a 50 MB search string, written as a real file
        std::ofstream out(path_, std::ios::binary);
        out << "[Condition]\nChar=";
        const std::string block(1 << 20, 'a');
        for (int i = 0; i < 50; ++i)
            out << block;
        out << "\n[Option]\nRecurse=1\n";
    }
    expectRefused(ConditionFileStatus::TooLarge);

    // 200 MB without a byte on disk: refused by its size alone.
    ASSERT_EQ(::truncate(path_.c_str(), 200LL << 20), 0);
    expectRefused(ConditionFileStatus::TooLarge);

    // Small enough a file, but a search string no search could use.
    WriteFileBytes(path_, "[Condition]\nChar=" + std::string(kMaxConditionTextBytes + 1, 'b') +
                              "\n[Option]\nRecurse=1\n");
    expectRefused(ConditionFileStatus::TextTooLong);

    // At the limits exactly, still read.
    WriteFileBytes(path_, "[Condition]\nChar=" + std::string(kMaxConditionTextBytes, 'c') +
                              "\n[Option]\nRecurse=0\n");
    const ConditionFileResult read = ReadConditionFile(path_, current);
    ASSERT_TRUE(read.Ok());
    EXPECT_EQ(read.conditions.searchText.size(), kMaxConditionTextBytes);
    EXPECT_FALSE(read.conditions.subFolders);
    std::filesystem::remove(path_);
}

TEST(ArchiveSetFileTest, EachArchiveOnceInRunOrderWithCrLf)
{
    zr::test::ScratchFolder folder;
    HitList hits;
    hits.Append({"/d/b.zip", "1.txt", 1, "x"});
    hits.Append({"/d/b.zip", "2.txt", 1, "x"});
    hits.Append({"/d/a.lzh", "1.txt", 3, "x"});
    const std::string path = folder / "set.ZrSet";
    WriteFileBytes(path, "old contents that are longer than the new ones\r\n");
    WriteArchiveSetFile(path, hits);
    EXPECT_EQ(ReadFileBytes(path), "/d/b.zip\r\n/d/a.lzh\r\n");

    // Nothing to save: the file is left alone.
    WriteArchiveSetFile(path, HitList{});
    EXPECT_EQ(ReadFileBytes(path), "/d/b.zip\r\n/d/a.lzh\r\n");
    EXPECT_THROW(WriteArchiveSetFile(folder / "no/such/folder/set.ZrSet", hits), std::runtime_error);
}

// A write that fails half-way (here: past the file-size limit, as on a full
// disk) leaves the old file whole, for both kinds of file.
TEST(SavedFilesTest, AFailedWriteKeepsTheOldFile)
{
    zr::test::ScratchFolder folder;
    const std::string conditions = folder / "cond.ZrSrh", set = folder / "set.ZrSet";
    const std::string oldText = "[Condition]\nChar=old\n";
    WriteFileBytes(conditions, oldText);
    WriteFileBytes(set, "/old.zip\r\n");
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit tiny{8, 8};
        ::setrlimit(RLIMIT_FSIZE, &tiny);
        SearchConditions c;
        c.searchText = "a search text longer than the limit";
        HitList hits;
        hits.Append({"/a/long/path/to/an/archive.zip", "1.txt", 1, "x"});
        int thrown = 0;
        try {
            WriteConditionFile(conditions, c);
        } catch (const std::exception &) {
            ++thrown;
        }
        try {
            WriteArchiveSetFile(set, hits);
        } catch (const std::exception &) {
            ++thrown;
        }
        ::_exit(thrown);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2) << "both writes report their failure";
    EXPECT_EQ(ReadFileBytes(conditions), oldText);
    EXPECT_EQ(ReadFileBytes(set), "/old.zip\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 2)
        << "no temporary left";

    // A folder in the file's place survives, and the write says it failed.
    std::filesystem::create_directory(folder / "taken.ZrSrh");
    EXPECT_THROW(WriteConditionFile(folder / "taken.ZrSrh", SearchConditions{}), std::runtime_error);
    EXPECT_TRUE(std::filesystem::is_directory(folder / "taken.ZrSrh"));
}

}  // namespace
}  // namespace zr::search
