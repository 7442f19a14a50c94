// The hit-line export: quoting, the two formats, the file as a whole.

#include <gtest/gtest.h>

#include <sstream>

#include "search/hit_export.h"
#include "test_support/temp_env.h"

namespace zr::search::test {
namespace {

TEST(HitExportTest, FieldsAreQuotedOnlyWhenTheyMustBe)
{
    const HitExportWriter csv(HitExportFormat::Csv);
    EXPECT_EQ(csv.Field("plain text"), "plain text");
    EXPECT_EQ(csv.Field("a,b"), "\"a,b\"");
    EXPECT_EQ(csv.Field("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(csv.Field("one\ntwo"), "\"one\ntwo\"");
    EXPECT_EQ(csv.Field("cr\r"), "\"cr\r\"");
    EXPECT_EQ(csv.Field("tab\there"), "tab\there");
    EXPECT_EQ(csv.Field(""), "");

    const HitExportWriter tsv(HitExportFormat::Tsv);
    EXPECT_EQ(tsv.Field("a,b"), "a,b");
    EXPECT_EQ(tsv.Field("tab\there"), "\"tab\there\"");
    EXPECT_EQ(tsv.Field("\""), "\"\"\"\"");
}

TEST(HitExportTest, RowsCarryPathNameLineAndTheTextAsUtf8)
{
    HitList hits;
    // "表示,中" in CP932, then a stored-file hit without line.
    hits.Append({"/d/a,b.zip", "docs/x.txt", 12, "\x95\x5C\x8E\xA6,\x92\x86"});
    hits.Append({"/d/c.lzh", "y.txt", 0, ""});
    std::ostringstream out;
    ASSERT_TRUE(HitExportWriter(HitExportFormat::Csv).Write(out, hits));
    EXPECT_EQ(out.str(), "\xEF\xBB\xBF書庫ファイル,格納ファイル,行位置,検索行データ\r\n"
                         "\"/d/a,b.zip\",docs/x.txt,12,\"表示,中\"\r\n"
                         "/d/c.lzh,y.txt,,\r\n");

    std::ostringstream tsv;
    ASSERT_TRUE(HitExportWriter(HitExportFormat::Tsv).Write(tsv, hits));
    EXPECT_NE(tsv.str().find("/d/a,b.zip\tdocs/x.txt\t12\t表示,中\r\n"), std::string::npos) << tsv.str();

    THitRecord cell{"/d/b.xlsx", "見積", 3, "x"};
    cell.Location = "見積!B4";
    EXPECT_EQ(HitExportWriter(HitExportFormat::Csv).Row(cell), "/d/b.xlsx,見積,見積!B4,x\r\n");
}

TEST(HitExportTest, TheFileNameChoosesTheFormatAndAFailedWriteKeepsTheOldFile)
{
    EXPECT_EQ(HitExportFormatForPath("/x/hits.CSV"), HitExportFormat::Csv);
    EXPECT_EQ(HitExportFormatForPath("/x/hits.tsv"), HitExportFormat::Tsv);
    EXPECT_EQ(HitExportFormatForPath("/x/hits.Txt"), HitExportFormat::Tsv);
    EXPECT_EQ(HitExportFormatForPath("/x.tsv/hits"), HitExportFormat::Csv);

    zr::test::ScratchFolder scratch;
    HitList hits;
    hits.Append({"/d/a.zip", "x.txt", 1, "needle"});
    const std::string file = scratch / "hits.tsv";
    WriteHitExportFile(file, hits);
    EXPECT_EQ(
        zr::testing::ReadFileBytes(file),
        "\xEF\xBB\xBF書庫ファイル\t格納ファイル\t行位置\t検索行データ\r\n/d/a.zip\tx.txt\t1\tneedle\r\n");
    EXPECT_THROW(WriteHitExportFile(scratch / "missing/hits.csv", hits), std::runtime_error);
}

}  // namespace
}  // namespace zr::search::test
