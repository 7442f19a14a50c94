// The hit list's counts and views, the cut line text, and the run's texts.

#include <gtest/gtest.h>

#include <cerrno>

#include "search/hit_list.h"
#include "search/run_texts.h"

namespace zr::search {
namespace {

THitRecord Hit(const std::string &archive, const std::string &stored, int line)
{
    return THitRecord{archive, stored, line, "text"};
}

HitList SampleHits()
{
    HitList hits;
    hits.Append(Hit("/d/x.lzh", "docs/a.txt", 1));
    hits.Append(Hit("/d/x.lzh", "docs/a.txt", 5));
    hits.Append(Hit("/d/x.lzh", "docs/a.txt", 9));
    hits.Append(Hit("/d/x.lzh", "b.txt", 2));
    hits.Append(Hit("/d/sub/y.zip", "a.txt", 3));
    hits.Append(Hit("/d/z.tar", "docs/a.txt", 4));
    return hits;
}

TEST(HitListTest, CountsArchivesAndStoredFiles)
{
    const HitList hits = SampleHits();
    EXPECT_EQ(hits.Size(), 6u);
    EXPECT_EQ(hits.CountArchivesWithHits(), 3);
    EXPECT_EQ(hits.CountFilesWithHits(), 4);
    const HitList empty;
    EXPECT_EQ(empty.CountArchivesWithHits(), 0);
    EXPECT_EQ(empty.CountFilesWithHits(), 0);
}

TEST(HitListTest, ArchivesInRunOrderAndTheirRecords)
{
    const HitList hits = SampleHits();
    EXPECT_EQ(hits.ArchiveStarts(), (std::vector<std::size_t>{0, 4, 5}));
    EXPECT_EQ(hits.ArchivePaths(), (std::vector<std::string>{"/d/x.lzh", "/d/sub/y.zip", "/d/z.tar"}));

    const HitRange x = hits.RecordsOfArchive(std::size_t{0});
    EXPECT_EQ(x.first, 0u);
    EXPECT_EQ(x.last, 4u);
    const HitRange z = hits.RecordsOfArchive(std::string("/d/z.tar"));
    EXPECT_EQ(z.first, 5u);
    EXPECT_EQ(z.size(), 1u);
    EXPECT_TRUE(hits.RecordsOfArchive(std::string("/d/none.zip")).empty());

    // Line display off: one row per stored file, at its first record.
    EXPECT_EQ(hits.StoredFileRows(x), (std::vector<std::size_t>{0, 3}));
    EXPECT_EQ(hits.StoredFileRows(z), (std::vector<std::size_t>{5}));
}

TEST(HitRecordTest, LineTextIsCutAt260BytesAndStillDisplays)
{
    const std::string ascii(300, 'a');
    EXPECT_EQ(CutLineText(ascii), std::string(260, 'a'));
    EXPECT_EQ(CutLineText("short"), "short");

    // 259 single bytes, then "あ" (0x82 0xA0): the cut keeps only its first byte.
    const std::string line = std::string(259, 'b') + "\x82\xa0" + "tail";
    const std::string cut = CutLineText(line);
    ASSERT_EQ(cut.size(), 260u);
    EXPECT_EQ(static_cast<unsigned char>(cut.back()), 0x82);
    EXPECT_EQ(DisplayLineText(cut), std::string(259, 'b'));

    // Whole double-byte characters convert; a stray byte shows as a replacement.
    EXPECT_EQ(DisplayLineText("\x82\xa0x"), "あx");
    EXPECT_EQ(DisplayLineText("a\x80"
                              "b"),
              "a\xEF\xBF\xBD"
              "b");
}

TEST(HitRecordTest, StoredNameParts)
{
    EXPECT_EQ(StoredFileNamePart("docs/a.txt"), "a.txt");
    EXPECT_EQ(StoredFileNamePart("docs\\sub\\b.txt"), "b.txt");
    EXPECT_EQ(StoredFileNamePart("c:x.txt"), "x.txt");
    EXPECT_EQ(StoredFileNamePart("plain"), "plain");
    EXPECT_TRUE(IsFolderEntry("docs/"));
    EXPECT_TRUE(IsFolderEntry("docs\\"));
    EXPECT_FALSE(IsFolderEntry("docs"));
    EXPECT_FALSE(IsFolderEntry(""));
}

TEST(RunTextsTest, LabelsAndProgressLines)
{
    EXPECT_EQ(ArchivesFoundLabel(1234), "1234件の書庫が検索対象です.");
    EXPECT_EQ(HitsFoundLabel(2, 1, 1), "2 行 見つかりました。  書庫数： 1 件  格納数：1 件");
    EXPECT_EQ(HitsFoundLabel(12345, 1000, 2), "12,345 行 見つかりました。  書庫数： 1,000 件  格納数：2 件");
    EXPECT_EQ(HitsFoundLabel(7, 2, 3, true), "7 行 見つかりました。（中断）  書庫数： 2 件  格納数：3 件");
    EXPECT_EQ(NoHitLabel(true), "指定の格納ファイルを含む書庫は見つかりませんでした。");
    EXPECT_EQ(NoHitLabel(false), "指定の文字を含む書庫は見つかりませんでした。");

    EXPECT_EQ(ProgressLine("/data/x.lzh", "/data", "a.txt", 2), "x.lzh ⇒ a.txt ⇒ 2行");
    EXPECT_EQ(ProgressLine("/data/sub/x.lzh", "/data", "a.txt", 0), "sub/x.lzh ⇒ a.txt");
    EXPECT_EQ(ProgressLine("/x.lzh", "/", "a.txt", 1500), "x.lzh ⇒ a.txt ⇒ 1,500行");
    EXPECT_EQ(ProgressLine("/data/x.lzh", "", "a.txt", 1), "/data/x.lzh ⇒ a.txt ⇒ 1行");

    // Unreadable folders: the count, at most five of them, then how many more.
    std::vector<std::string> folders;
    for (int i = 1; i <= 7; ++i)
        folders.push_back("/d/" + std::to_string(i) + ": " + FolderErrorText(EACCES));
    const std::vector<std::string> lines = UnreadableFoldersLines(folders);
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines.front(), "読めなかったフォルダ： 7 件");
    EXPECT_EQ(lines[5], "  /d/5: アクセスが許可されていません");
    EXPECT_EQ(lines.back(), "  ほか 2 件");
    EXPECT_EQ(UnreadableFoldersLines({"/d/1: x"}).size(), 2u);

    EXPECT_EQ(ConditionLines("abc", "/data", "*.LZH", "*.txt *.doc"),
              (std::vector<std::string>{"検索した文字： abc", "検索した場所： /data", "検索した書庫： *.LZH",
                                        "検索した格納： *.txt *.doc"}));
    EXPECT_EQ(NoArchiveLines("/data", "*.ZIP"),
              (std::vector<std::string>{"", "検索した場所： /data", "検索した書庫： *.ZIP"}));
}

}  // namespace
}  // namespace zr::search
