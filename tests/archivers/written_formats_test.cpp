// RAR 4, RAR 5 and LZX CAB archives written by the tests themselves, with
// Shift-JIS names and folders, through the Unrar and Cab libraries.
#include <gtest/gtest.h>

#include "archiver_test_support.h"
#include "test_archive_writers.h"

namespace zr::archivers::test {
namespace {

const std::string kHyoujiCp932 = "\x95\x5C\x8E\xA6.txt";  // 表示.txt
const std::string kHyoujiUtf8 = "\xE8\xA1\xA8\xE7\xA4\xBA.txt";

std::vector<Member> RarMembers(bool cp932)
{
    return {{"docs", "", true},
            {"docs\\hello.txt", HelloText()},
            {cp932 ? "docs\\" + kHyoujiCp932 : "docs/" + kHyoujiUtf8, "hyouji\n"},
            {"empty.txt", ""},
            {"numbers.txt", NumbersText()}};
}

std::map<std::string, std::string> ExpectedRarFiles()
{
    return {{"docs/hello.txt", HelloText()},
            {"docs/" + kHyoujiUtf8, "hyouji\n"},
            {"empty.txt", ""},
            {"numbers.txt", NumbersText()}};
}

struct Written {
    const char *label;
    std::string bytes;
};

class RarTest : public ::testing::TestWithParam<int> {
protected:
    std::string archiveBytes() const
    {
        return GetParam() == 4 ? MakeRar4(RarMembers(true)) : MakeRar5(RarMembers(false));
    }
};

TEST_P(RarTest, ListsFoldersAndRepairsShiftJisNames)
{
    ArchiverLibrary unrar("libunrar32.so", "Unrar");
    ASSERT_TRUE(unrar.loaded());
    TempDir dir;
    const auto path = dir.path() / "written.rar";
    WriteFile(path, archiveBytes());
    EXPECT_NE(unrar.check(path.string()), 0);
    EXPECT_EQ(unrar.count(path.string()), 5);
    const auto records = unrar.list(path.string());
    ASSERT_EQ(records.size(), 5u);
    EXPECT_EQ(Names(records), (std::vector<std::string>{"docs/", "docs/hello.txt", "docs/" + kHyoujiUtf8,
                                                        "empty.txt", "numbers.txt"}));
    EXPECT_EQ(std::string(records[1].szMode), "m0");
    EXPECT_EQ(records[4].dwCRC, Crc32Of(NumbersText()));
    EXPECT_EQ(records[4].wRatio, 1000);
}

TEST_P(RarTest, ExtractsByteExactWithAndWithoutFolders)
{
    ArchiverLibrary unrar("libunrar32.so", "Unrar");
    TempDir dir;
    const auto path = dir.path() / "written.rar";
    WriteFile(path, archiveBytes());
    TempDir dest;
    std::string log;
    ASSERT_EQ(unrar.command("-x -o " + Quote(path.string()) + " " + Quote(dest.str() + "/"), &log), 0) << log;
    EXPECT_EQ(FilesBelow(dest.path()), ExpectedRarFiles());

    TempDir flat;
    ASSERT_EQ(
        unrar.command("-e -o " + Quote(path.string()) + " " + Quote(flat.str() + "/") + " \"*.txt\"", &log),
        0)
        << log;
    EXPECT_EQ(FilesBelow(flat.path()).count("hello.txt"), 1u);
    EXPECT_EQ(FilesBelow(flat.path()).count("docs/hello.txt"), 0u);
}

TEST_P(RarTest, CorruptedDataIsAnErrorAndLeavesNoFile)
{
    ArchiverLibrary unrar("libunrar32.so", "Unrar");
    TempDir dir;
    std::string bytes = archiveBytes();
    const auto at = bytes.find("1\n2\n3\n");
    ASSERT_NE(at, std::string::npos);
    bytes[at] = '9';
    const auto path = dir.path() / "bad.rar";
    WriteFile(path, bytes);
    TempDir dest;
    EXPECT_EQ(
        unrar.command("-x -o " + Quote(path.string()) + " " + Quote(dest.str() + "/") + " \"numbers.txt\""),
        ZR_ARC_E_DATA);
    EXPECT_TRUE(FilesBelow(dest.path()).empty());
}

INSTANTIATE_TEST_SUITE_P(Versions, RarTest, ::testing::Values(4, 5),
                         [](const auto &info) { return "Rar" + std::to_string(info.param); });

TEST(UnrarBaseTest, TheBaseLibraryLoadsOnItsOwn)
{
    ArchiverLibrary base("libunrar.so", "RAR");
    ASSERT_TRUE(base.loaded());
    EXPECT_GT(base.fn<int (*)()>("GetDllVersion")(), 0);
}

TEST(CabWrittenTest, LzxUncompressedBlockAndShiftJisNamesExtract)
{
    ArchiverLibrary cab("libcab32.so", "Cab");
    ASSERT_TRUE(cab.loaded());
    const std::vector<Member> members = {{"lzx\\hello.txt", HelloText()},
                                         {kHyoujiCp932, "hyouji\n" + std::string(1, '!')}};
    for (const auto &[label, bytes] :
         {Written{"lzx", MakeLzxCab(members)}, Written{"stored", MakeStoredCab(members)}}) {
        SCOPED_TRACE(label);
        TempDir dir;
        const auto path = dir.path() / "written.cab";
        WriteFile(path, bytes);
        EXPECT_NE(cab.check(path.string()), 0);
        const auto records = cab.list(path.string());
        EXPECT_EQ(Names(records), (std::vector<std::string>{"lzx/hello.txt", kHyoujiUtf8}));
        if (!records.empty()) {
            EXPECT_EQ(std::string(records[0].szMode), std::string(label) == "lzx" ? "LZX" : "Stored");
        }
        TempDir dest;
        std::string log;
        EXPECT_EQ(cab.command("-x -o -i " + Quote(path.string()) + " " + Quote(dest.str() + "/"), &log), 0)
            << log;
        EXPECT_EQ(FilesBelow(dest.path()), (std::map<std::string, std::string>{{"lzx/hello.txt", HelloText()},
                                                                               {kHyoujiUtf8, "hyouji\n!"}}));
    }
}

}  // namespace
}  // namespace zr::archivers::test
