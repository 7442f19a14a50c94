// Archives inside archives on the command line, in condition files and in
// the names shown to people.

#include <gtest/gtest.h>

#include "search/condition_file.h"
#include "search/hit_export.h"
#include "search/hit_list.h"
#include "search/stored_chain.h"
#include "search_test_support.h"
#include "zrgrep_options.h"
#include "zrgrep_output.h"
#include "zrgrep_program_test.h"

namespace zr::search::test {
namespace {

THitRecord NestedHit()
{
    THitRecord hit{"/d/a.lzh", "docs/a.txt", 2, "x needle"};
    hit.Via = {"inner.zip", "deep.tgz"};
    return hit;
}

TEST(NestedNames, OneBracePairPerLevelAndAViaList)
{
    EXPECT_EQ(tools::FormatHitLine(NestedHit(), nullptr),
              "/d/a.lzh{inner.zip}{deep.tgz}{docs/a.txt}:2:x needle");
    EXPECT_EQ(tools::FormatJsonHit(NestedHit()),
              "{\"archive\": \"/d/a.lzh\", \"stored\": \"docs/a.txt\", \"line\": 2, \"text\": \"x needle\", "
              "\"via\": [\"inner.zip\", \"deep.tgz\"]}");
    EXPECT_EQ(StoredChainText(NestedHit()), "inner.zip \xC2\xBB deep.tgz \xC2\xBB docs/a.txt");
    EXPECT_EQ(StoredColumnText(NestedHit()), StoredChainText(NestedHit()));
    EXPECT_EQ(StoredColumnText(THitRecord{"/d/a.lzh", "docs/a.txt", 1, ""}), "a.txt");
    EXPECT_EQ(
        tools::FormatNestLine("/d/a.zip", SkipReason::NestLimit,
                              "m.zip \xC2\xBB l.zip (holds an archive that encloses it)"),
        "/d/a.zip{m.zip}{l.zip}: 書庫内の書庫の検索を打ち切りました (holds an archive that encloses it)");
}

TEST(NestedOptions, CommandLineAndConditionFile)
{
    const tools::ZrGrepArguments a =
        tools::ParseZrGrepArguments({"--no-nested", "--nest-depth", "5", "x", "."});
    EXPECT_EQ(a.nestDepth, 5);
    EXPECT_FALSE(tools::ApplyArguments(a, {}).nestedArchives);
    EXPECT_TRUE(tools::ApplyArguments(tools::ParseZrGrepArguments({"x", "."}), {}).nestedArchives);
    for (const char *bad : {"9", "-1", "", "two"})
        EXPECT_THROW(tools::ParseZrGrepArguments({"--nest-depth", bad, "x", "."}), tools::ZrGrepUsageError)
            << bad;

    zr::test::ScratchFolder folder;
    SearchConditions off;
    off.nestedArchives = false;
    WriteConditionFile(folder / "off.ZrSrh", off);
    EXPECT_FALSE(ReadConditionFile(folder / "off.ZrSrh", {}).conditions.nestedArchives);
    // A file written before the switch existed searches inside as the window does.
    folder.Write("old.ZrSrh", "[Condition]\nChar=x\n[Option]\nFuzzy=1\n");
    SearchConditions current;
    current.nestedArchives = false;
    EXPECT_TRUE(ReadConditionFile(folder / "old.ZrSrh", current).conditions.nestedArchives);
}

class NestedZrGrepTest : public ZrGrepProgramTest {};

TEST_F(NestedZrGrepTest, PrintsChainsAndObeysTheSwitches)
{
    tree_.Write("three-deep.zip",
                zr::testing::ReadFileBytes(SourceDir() + "/tests/search/fixtures/nested/three-deep.zip"));
    const std::string archive = tree_ / "three-deep.zip";
    ASSERT_EQ(Run({"needle", tree_.Path()}), 0) << err_;
    EXPECT_EQ(out_, archive + "{l1.zip}{l2.tgz}{l3.zip}{e.txt}:2:three-deep needle\n");
    ASSERT_EQ(Run({"--json", "needle", tree_.Path()}), 0) << err_;
    EXPECT_NE(out_.find("\"stored\": \"e.txt\", \"line\": 2, \"text\": \"three-deep needle\", "
                        "\"via\": [\"l1.zip\", \"l2.tgz\", \"l3.zip\"]}"),
              std::string::npos)
        << out_;
    // l1.zip holds a compressed tar: its bytes show no text.
    EXPECT_EQ(Run({"--no-nested", "needle", tree_.Path()}), 1) << err_;
    ASSERT_EQ(Run({"--nest-depth", "2", "needle", tree_.Path()}), 0) << err_;
    EXPECT_TRUE(out_.starts_with(archive + "{l1.zip}{l2.tgz}{l3.zip}:")) << out_;
    EXPECT_NE(err_.find(archive + "{l1.zip}{l2.tgz}{l3.zip}: 書庫内の書庫が深すぎる"), std::string::npos)
        << err_;
}

TEST(NestedHitList, InnerArchivesKeepTheirStoredFilesApart)
{
    THitRecord one{"/d/a.zip", "a.txt", 1, "x"}, two = one;
    one.Via = {"one.zip"};
    two.Via = {"two.zip"};
    HitList list;
    list.Append(one);
    list.Append(two);
    EXPECT_EQ(list.StoredFileRows({0, 2}).size(), 2u);
    const std::string row = HitExportWriter(HitExportFormat::Tsv).Row(one);
    EXPECT_NE(row.find("one.zip \xC2\xBB a.txt"), std::string::npos) << row;
}

}  // namespace
}  // namespace zr::search::test
