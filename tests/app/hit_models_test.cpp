// The tree and list models over a HitList: what each row and column shows.

#include "app/hit_models.h"
#include "app_test_support.h"

#include <gtest/gtest.h>

namespace zr {
namespace {

using search::THitRecord;

search::HitList SampleHits()
{
    search::HitList hits;
    hits.Append({"/data/a.lzh", "docs/readme.txt", 3, "first"});
    hits.Append({"/data/a.lzh", "docs/readme.txt", 7, "second"});
    hits.Append({"/data/a.lzh", "docs/readme.txt", 9, "third"});
    hits.Append({"/data/a.lzh", "src\\main.c", 1, "int main"});
    hits.Append({"/data/sub/b.zip", "notes/", 0, ""});
    hits.Append({"/data/sub/b.zip", "notes/x.txt", 0, ""});
    return hits;
}

QString Text(const QAbstractItemModel &model, int row, int column, const QModelIndex &parent = {})
{
    return model.data(model.index(row, column, parent), Qt::DisplayRole).toString();
}

TEST(ArchiveTreeModel, RootHoldsOneNodePerArchiveInRunOrder)
{
    testing::App();
    const search::HitList hits = SampleHits();
    TArchiveTreeModel model;
    EXPECT_EQ(model.rowCount(), 1);
    EXPECT_EQ(model.rowCount(model.RootIndex()), 0);
    EXPECT_EQ(Text(model, 0, 0), "すべての書庫");

    model.SetHits(&hits);
    const QModelIndex root = model.RootIndex();
    ASSERT_EQ(model.rowCount(root), 2);
    EXPECT_EQ(Text(model, 0, 0, root), "a.lzh");
    EXPECT_EQ(Text(model, 1, 0, root), "b.zip");
    EXPECT_EQ(model.ArchiveStart(model.index(1, 0, root)), 4u);
    EXPECT_EQ(model.parent(model.index(1, 0, root)), root);
    EXPECT_TRUE(model.IsRoot(root));
    EXPECT_FALSE(model.ArchiveStart(root).has_value());
    EXPECT_FALSE(model.data(model.index(0, 0, root), Qt::DecorationRole).isNull());

    model.ClearArchives();
    EXPECT_EQ(model.rowCount(model.RootIndex()), 0);
    EXPECT_EQ(model.rowCount(), 1);  // the root stays
}

TEST(ResultListModel, RootListsEachArchiveOnceWithItsFolder)
{
    testing::App();
    const search::HitList hits = SampleHits();
    TResultListModel model;
    model.ShowArchives(&hits);
    ASSERT_EQ(model.columnCount(), 2);
    EXPECT_EQ(model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), "書庫ファイル");
    EXPECT_EQ(model.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "フォルダ");
    EXPECT_EQ(model.ColumnWidths(), (std::vector<int>{100, 300}));
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(Text(model, 0, 0), "a.lzh");
    EXPECT_EQ(Text(model, 0, 1), "/data/");
    EXPECT_EQ(Text(model, 1, 1), "/data/sub/");
    EXPECT_EQ(model.Record(1).ArchivePath, "/data/sub/b.zip");
}

TEST(ResultListModel, ArchiveShowsEveryLineOrOneRowPerStoredFile)
{
    testing::App();
    const search::HitList hits = SampleHits();
    TResultListModel model;
    model.ShowArchive(&hits, 0, true);
    ASSERT_EQ(model.columnCount(), 3);
    EXPECT_EQ(model.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "行位置");
    EXPECT_EQ(model.headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), "検索行データ");
    EXPECT_EQ(model.ColumnWidths(), (std::vector<int>{100, 50, 400}));
    ASSERT_EQ(model.rowCount(), 4);  // three lines of readme.txt and one of main.c
    EXPECT_EQ(Text(model, 0, 0), "readme.txt");
    EXPECT_EQ(Text(model, 1, 1), "7");
    EXPECT_EQ(Text(model, 2, 2), "third");
    EXPECT_EQ(Text(model, 3, 0), "main.c");  // a "\" separates folders too
    EXPECT_EQ(model.data(model.index(0, 1), Qt::TextAlignmentRole).toInt(),
              int(Qt::AlignRight | Qt::AlignVCenter));

    model.ShowArchive(&hits, 0, false);
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.columnCount(), 3);  // the columns stay, empty
    EXPECT_EQ(Text(model, 0, 0), "readme.txt");
    EXPECT_EQ(Text(model, 0, 1), "");
    EXPECT_EQ(Text(model, 0, 2), "");
    EXPECT_EQ(Text(model, 1, 0), "main.c");
}

TEST(ResultListModel, StoredFileHitsShowEmptyLineColumnsAndFolderEntries)
{
    testing::App();
    const search::HitList hits = SampleHits();
    TResultListModel model;
    model.ShowArchive(&hits, 4, true);
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(Text(model, 0, 0), "");  // "notes/": nothing after the last separator
    EXPECT_EQ(Text(model, 0, 1), "");
    EXPECT_EQ(Text(model, 1, 0), "x.txt");
    EXPECT_EQ(Text(model, 1, 1), "");
    EXPECT_EQ(Text(model, 1, 2), "");
    EXPECT_FALSE(model.data(model.index(0, 0), Qt::DecorationRole).isNull());
}

TEST(ResultListModel, LineTextsAreCp932AndACutCharacterDoesNotBreakThem)
{
    testing::App();
    search::HitList hits;
    // "日本" in CP932, then the lead byte of a third character cut off.
    hits.Append({"/a.lzh", "x.txt", 1, std::string("\x93\xfa\x96\x7b\x8c", 5)});
    TResultListModel model;
    model.ShowArchive(&hits, 0, true);
    EXPECT_EQ(Text(model, 0, 2), "日本");
}

TEST(ResultListModel, GetaMarksShowTheCharactersOfTheConvertedFile)
{
    testing::App();
    search::HitList hits;
    // "a〓b" in CP932, where the mark stands for a character CP932 lacks.
    THitRecord hit{"/a.zip", "utf8.txt", 2,
                   std::string("a\x81\xac"
                               "b",
                               4)};
    hit.Substitutes = {{1, "\xF0\x9F\x98\x80"}};
    hits.Append(hit);
    TResultListModel model;
    model.ShowArchive(&hits, 0, true);
    EXPECT_EQ(Text(model, 0, 2).toStdString(), "a\xF0\x9F\x98\x80"
                                               "b");
}

TEST(ResultListModel, AHundredThousandHitsAreRowsWithoutPerItemObjects)
{
    testing::App();
    search::HitList hits;
    for (int i = 0; i < 100000; ++i)
        hits.Append({"/big.zip", "f" + std::to_string(i / 10) + ".txt", i % 10 + 1, "text"});
    TResultListModel model;
    model.ShowArchive(&hits, 0, true);
    EXPECT_EQ(model.rowCount(), 100000);
    EXPECT_EQ(Text(model, 99999, 0), "f9999.txt");
    model.ShowArchive(&hits, 0, false);
    EXPECT_EQ(model.rowCount(), 10000);
    model.Clear();
    EXPECT_EQ(model.rowCount(), 0);
}

TEST(OpenArchiveHeader, NamesThePathOrTheRoot)
{
    EXPECT_EQ(OpenArchiveHeaderText("/data/a.lzh"), "開いている書庫: /data/a.lzh");
    EXPECT_EQ(OpenArchiveHeaderText(TArchiveTreeModel::RootText()), "開いている書庫: すべての書庫");
}

}  // namespace
}  // namespace zr
