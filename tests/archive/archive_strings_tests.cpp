// The extraction name list: quoting, destination and the response-file rule.

#include <gtest/gtest.h>

#include "archive/archive_control.h"
#include "archive/archive_strings.h"
#include "archive_test_support.h"

namespace zr::archive::test {
namespace {

class ArchiveStringsTest : public ::testing::Test {
protected:
    TArchiveStrings ListOf(TArchiveOptions &options, int count)
    {
        TArchiveStrings list(&options, dir_.File("resp.txt"));
        for (int i = 0; i < count; ++i)
            list.Add("dir/name" + std::to_string(i) + ".txt");
        return list;
    }
    TempDir dir_;
    TArchiveControl control_;
};

TEST_F(ArchiveStringsTest, RequiresOptions)
{
    try {
        TArchiveStrings list(nullptr);
        FAIL();
    } catch (const EInvalidOperation &e) {
        EXPECT_STREQ(e.what(), "パラメータが不正です。");
    }
}

TEST_F(ArchiveStringsTest, QuotingFlagQuotesAndDoublesOnlyWhileOn)
{
    TArchiveStrings list(&control_.ZipOptions());
    list.Add("say \"hi\".txt");
    EXPECT_EQ(list.Get(0), "say \"hi\".txt");
    {
        ScopedQuoting quoting(list);
        EXPECT_EQ(list.Get(0), "\"say \"\"hi\"\".txt\"");
    }
    EXPECT_EQ(list.Get(0), "say \"hi\".txt");
}

TEST_F(ArchiveStringsTest, TenNamesGoInline)
{
    TArchiveStrings list = ListOf(control_.LhaOptions(), 10);
    const std::string part = list.FilePart();
    EXPECT_EQ(part.rfind("\"dir/name0.txt\" \"dir/name1.txt\" ", 0), 0u);
    EXPECT_NE(part.find("\"dir/name9.txt\" "), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir_.File("resp.txt")));
    EXPECT_FALSE(list.Quoting());
}

TEST_F(ArchiveStringsTest, ElevenNamesGoThroughTheResponseFile)
{
    TArchiveStrings list = ListOf(control_.LhaOptions(), 11);
    list.Add("q\"uote.txt");
    EXPECT_EQ(list.FilePart(), "\"@" + dir_.File("resp.txt") + "\" ");
    const std::string text = ReadFile(dir_.File("resp.txt"));
    EXPECT_EQ(text.rfind("\"dir/name0.txt\"\r\n\"dir/name1.txt\"\r\n", 0), 0u);
    EXPECT_NE(text.find("\"q\"\"uote.txt\"\r\n"), std::string::npos);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 12);
}

TEST_F(ArchiveStringsTest, ArjMarksTheResponseFileWithExclamation)
{
    TArchiveStrings list = ListOf(control_.ArjOptions(), 11);
    EXPECT_EQ(list.FilePart(), "\"!" + dir_.File("resp.txt") + "\" ");
}

TEST_F(ArchiveStringsTest, ANameStartingWithTheMarkerAlwaysGoesThroughTheResponseFile)
{
    TArchiveStrings lha(&control_.LhaOptions(), dir_.File("resp.txt"));
    lha.Add("@notes.txt");
    EXPECT_EQ(lha.FilePart(), "\"@" + dir_.File("resp.txt") + "\" ");
    EXPECT_EQ(ReadFile(dir_.File("resp.txt")), "\"@notes.txt\"\r\n");
    TArchiveStrings arj(&control_.ArjOptions(), dir_.File("resp.txt"));
    arj.Add("@notes.txt");
    EXPECT_EQ(arj.FilePart(), "\"@notes.txt\" ");  // not Arj's marker
    arj.Add("!notes.txt");
    EXPECT_EQ(arj.FilePart(), "\"!" + dir_.File("resp.txt") + "\" ");
}

TEST_F(ArchiveStringsTest, UnwritableResponseFileIsAnError)
{
    TArchiveStrings list = ListOf(control_.ZipOptions(), 11);
    list.ResponseFileName = dir_.File("no/such/folder/resp.txt");
    EXPECT_THROW(list.FilePart(), std::runtime_error);
}

TEST_F(ArchiveStringsTest, DefaultResponseFileIsInAWritableProgramOrTempFolder)
{
    TArchiveStrings list(&control_.ZipOptions());
    const std::string name = list.EffectiveResponseFileName();
    ASSERT_FALSE(name.empty());
    EXPECT_EQ(std::filesystem::path(name).filename(), "Response.txt");
    EXPECT_EQ(access(std::filesystem::path(name).parent_path().c_str(), W_OK), 0);
}

TEST_F(ArchiveStringsTest, DestinationMustBeAnExistingFolder)
{
    TArchiveStrings list(&control_.ZipOptions());
    list.SetDestDirectory(dir_.Path());
    EXPECT_EQ(list.DestDirectory(), dir_.Path() + "/");
    list.SetDestDirectory(dir_.File("missing"));
    EXPECT_EQ(list.DestDirectory(), "");
    list.SetDestDirectory("");
    EXPECT_EQ(list.DestDirectory(), "");
}

TEST_F(ArchiveStringsTest, AssignCopiesNamesDestinationAndResponseFile)
{
    TArchiveStrings a(&control_.ZipOptions(), "r.txt");
    a.Add("x");
    a.SetDestDirectory(dir_.Path());
    TArchiveStrings b(&control_.ZipOptions());
    b.Assign(a);
    EXPECT_EQ(b.Names(), a.Names());
    EXPECT_EQ(b.DestDirectory(), a.DestDirectory());
    EXPECT_EQ(b.ResponseFileName, "r.txt");
}

}  // namespace
}  // namespace zr::archive::test
