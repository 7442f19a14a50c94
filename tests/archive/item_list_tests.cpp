// Entry and item lists: names and folders, attributes, times, sorting and
// the detail-view texts.

#include <gtest/gtest.h>

#include "archive/archive_item_list.h"
#include "archive/dos_time.h"
#include "archive/individual_list.h"
#include "archive/item_detail_text.h"
#include "archive/item_type_name.h"
#include "platform/mbchar.h"

namespace zr::archive::test {
namespace {

TIndividualInfo Record(const std::string &name, std::uint32_t size = 0, std::uint16_t ratio = 0,
                       const std::string &attribute = "", const std::string &method = "",
                       std::uint16_t date = 0, std::uint16_t time = 0, std::uint32_t packed = 0)
{
    IndividualInfoFields f;
    f.fileName = name;
    f.originalSize = size;
    f.compressedSize = packed;
    f.ratio = ratio;
    f.attribute = attribute;
    f.method = method;
    f.dosDate = date;
    f.dosTime = time;
    return MakeIndividualInfo(f);
}

constexpr std::uint16_t DosDate(int y, int m, int d)
{
    return static_cast<std::uint16_t>(((y - 1980) << 9) | (m << 5) | d);
}
constexpr std::uint16_t DosTime(int h, int mi, int s)
{
    return static_cast<std::uint16_t>((h << 11) | (mi << 5) | (s / 2));
}

TEST(IndividualListTest, NameAndFolderParts)
{
    TIndividualList list;
    const TIndividualItem &nested = list.Add(Record("dir/sub/file.txt", 42));
    EXPECT_EQ(nested.FileName(), "dir/sub/file.txt");
    EXPECT_EQ(nested.Name(), "file.txt");
    EXPECT_EQ(nested.Path(), "dir/sub/");
    EXPECT_EQ(nested.Size(), 42u);
    const TIndividualItem &backslash = list.Add(Record("a\\b.txt"));
    EXPECT_EQ(backslash.Name(), "b.txt");
    EXPECT_EQ(backslash.Path(), "a\\");
    const TIndividualItem &plain = list.Add(Record("top.txt"));
    EXPECT_EQ(plain.Name(), "top.txt");
    EXPECT_EQ(plain.Path(), "");
}

TEST(IndividualListTest, DoubleByteTrailByteIsNoSeparator)
{
    platform::ScopedCodePageMode cp932(platform::CodePageMode::Cp932);
    // "dir\" then the CP932 character 0x95 0x5C ("表") ending the name.
    const std::string name = std::string("dir\\") + "\x95\x5C";
    TIndividualList list;
    const TIndividualItem &item = list.Add(Record(name));
    EXPECT_EQ(item.Name(), "\x95\x5C");
    EXPECT_EQ(item.Path(), "dir\\");
}

TEST(IndividualListTest, OutOfRangeGivesNullAndOwnerIsRequired)
{
    TIndividualList list;
    list.Add(Record("a"));
    EXPECT_NE(list.Items(0), nullptr);
    EXPECT_EQ(list.Items(1), nullptr);
    EXPECT_EQ(list.Items(-1), nullptr);
    EXPECT_THROW(TIndividualItem(nullptr, Record("a")), EInvalidOperation);
    EXPECT_THROW(TArchiveItem(nullptr, Record("a")), EInvalidOperation);
}

TEST(IndividualListTest, RecordNameStopsAtNulAndAt513Bytes)
{
    TIndividualInfo info = Record("abc");
    EXPECT_EQ(InfoFileName(info), "abc");
    info.fill('x');
    EXPECT_EQ(InfoFileName(info).size(), kStoredNameSize);
}

TEST(ArchiveItemTest, AttributeBits)
{
    TArchiveList2 list;
    EXPECT_EQ(list.Add(Record("a", 0, 0, "AxyR")).Attributes(), 0x21u);
    EXPECT_EQ(list.Add(Record("b", 0, 0, "ASHR")).Attributes(), 0x27u);
    EXPECT_EQ(list.Add(Record("c", 0, 0, "----")).Attributes(), 0u);
}

TEST(ArchiveItemTest, DosTimeWithoutTimeZone)
{
    TArchiveList2 list;
    const TArchiveItem &item = list.Add(Record("a", 0, 0, "", "", DosDate(2001, 2, 3), DosTime(4, 5, 6)));
    EXPECT_EQ(item.DateTime().toString("yyyy-MM-dd HH:mm:ss").toStdString(), "2001-02-03 04:05:06");
    EXPECT_EQ(DateTimeText(item.DateTime()), "2001/02/03 4:05");
    // 1601-01-01 to 2001-02-03 04:05:06 in 100 ns ticks.
    EXPECT_EQ(item.FileTime(), (static_cast<std::int64_t>(981173106) + 11644473600LL) * 10000000LL);
    EXPECT_FALSE(DosDateTimeToDateTime(0, 0).isValid());
    EXPECT_EQ(DosDateTimeToFileTime(0, 0), 0);
}

TEST(ArchiveItemTest, UpdateReplacesRecordAndDropsCaches)
{
    TArchiveList2 list;
    TArchiveItem &item = list.Add(Record("a/old.txt", 1, 0, "A"));
    EXPECT_EQ(item.Name(), "old.txt");
    EXPECT_EQ(item.Attributes(), 0x20u);
    item.SetIconIndex(5);
    item.Update(Record("b/new.doc", 2, 0, "---R"));
    EXPECT_EQ(item.Name(), "new.doc");
    EXPECT_EQ(item.Path(), "b/");
    EXPECT_EQ(item.Attributes(), 0x01u);
    EXPECT_EQ(item.IconIndex(), -1);
    EXPECT_EQ(item.Index(), 0);
}

TEST(ArchiveItemTest, ParentFolderEntryIsNamedDotDot)
{
    TArchiveList2 list;
    TArchiveItem &item = list.Add(Record("x/"));
    item.IsParentFolder = true;
    EXPECT_EQ(item.Name(), "../");
    EXPECT_EQ(DetailText(item, atLha, dcType), "上位フォルダ");
    EXPECT_EQ(DetailText(item, atLha, dcSize), "");
    item.IsParentFolder = false;
    item.IsVirtualFolder = true;
    EXPECT_EQ(DetailText(item, atLha, dcType), "仮想フォルダ");
}

TEST(ArchiveListTest, TotalSizeIsCachedUntilTheListChanges)
{
    TArchiveList2 list;
    list.Add(Record("a", 10));
    list.Add(Record("b", 32));
    EXPECT_EQ(list.TotalSize(), 42u);
    list.Add(Record("c", 8));
    EXPECT_EQ(list.TotalSize(), 50u);
    list.Clear();
    EXPECT_EQ(list.TotalSize(), 0u);
    EXPECT_EQ(list.Items(0), nullptr);
}

std::vector<std::string> Names(const TArchiveList &list)
{
    std::vector<std::string> names;
    for (int i = 0; i < list.Count(); ++i)
        names.push_back(list.Items(i)->FileName());
    return names;
}

TEST(ArchiveListTest, SortKeysAndDirections)
{
    TArchiveList2 list;
    list.Add(Record("b/one.txt", 300, 100, "A", "-lh5-", DosDate(2000, 1, 1), 0, 30));
    list.Add(Record("a/two.txt", 100, 300, "---R", "-lh0-", DosDate(2002, 1, 1), 0, 20));
    list.Add(Record("c/three.txt", 200, 200, "", "-lh6-", DosDate(2001, 1, 1), 0, 10));
    list.Sort(stSize);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"a/two.txt", "c/three.txt", "b/one.txt"}));
    list.Sort(stTime);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"b/one.txt", "c/three.txt", "a/two.txt"}));
    list.Sort(stCompSize);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"c/three.txt", "a/two.txt", "b/one.txt"}));
    list.Sort(stPath);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"a/two.txt", "b/one.txt", "c/three.txt"}));
    list.Sort(stAttr);
    EXPECT_EQ(Names(list).front(), "c/three.txt");
    list.Sort(stMode);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"a/two.txt", "b/one.txt", "c/three.txt"}));

    // Choosing the current key again reverses it; another key starts ascending.
    TArcSortType current = list.ChooseSortKey(stNoSort, stRate);
    EXPECT_EQ(current, stRate);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"b/one.txt", "c/three.txt", "a/two.txt"}));
    current = list.ChooseSortKey(current, stRate);
    EXPECT_EQ(list.Direction(stRate), -1);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"a/two.txt", "c/three.txt", "b/one.txt"}));
    current = list.ChooseSortKey(current, stName);
    EXPECT_EQ(current, stName);
    EXPECT_EQ(list.Direction(stRate), 1);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"b/one.txt", "c/three.txt", "a/two.txt"}));
    EXPECT_EQ(list.ChooseSortKey(current, stNoSort), stNoSort);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"b/one.txt", "c/three.txt", "a/two.txt"}));
}

TEST(ArchiveListTest, NameSortPutsParentAndVirtualFoldersFirst)
{
    TArchiveList2 list;
    list.Add(Record("a.txt"));
    list.Add(Record("zz/")).IsVirtualFolder = true;
    list.Add(Record("up/")).IsParentFolder = true;
    list.Sort(stName);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"up/", "zz/", "a.txt"}));
}

TEST(DetailTextTest, NumberAndRatioFormats)
{
    EXPECT_EQ(FormatGroupedNumber(0), "0");
    EXPECT_EQ(FormatGroupedNumber(999), "999");
    EXPECT_EQ(FormatGroupedNumber(1000), "1,000");
    EXPECT_EQ(FormatGroupedNumber(1234567), "1,234,567");
    EXPECT_EQ(FormatGroupedNumber(4294967295u), "4,294,967,295");
    EXPECT_EQ(RatioText(450, atLha), "55.0 %");
    EXPECT_EQ(RatioText(450, atArj), "55.0 %");
    EXPECT_EQ(RatioText(453, atRar), "54.7 %");
    EXPECT_EQ(RatioText(450, atZip), "45.0 %");
    EXPECT_EQ(RatioText(1053, atLha), "-5.3 %");
    EXPECT_EQ(RatioText(450, atCab), "");
    EXPECT_EQ(RatioText(450, atTar), "");
}

TEST(DetailTextTest, ColumnsOfAnItem)
{
    TArchiveList2 list;
    const TArchiveItem &item = list.Add(Record("docs/read.me", 12345, 400, "A--R\0\0\0\0", "-lh5-",
                                               DosDate(1999, 12, 31), DosTime(23, 59, 58), 6789));
    EXPECT_EQ(DetailColumnTitles()[dcName], "格納ファイル");
    EXPECT_EQ(DetailColumnTitles()[dcPath], "フォルダ");
    EXPECT_EQ(DetailText(item, atLha, dcName), "read.me");
    EXPECT_EQ(DetailText(item, atLha, dcTime), "1999/12/31 23:59");
    EXPECT_EQ(DetailText(item, atLha, dcSize), "12,345");
    EXPECT_EQ(DetailText(item, atLha, dcRatio), "60.0 %");
    EXPECT_EQ(DetailText(item, atLha, dcCompressedSize), "6,789");
    EXPECT_EQ(DetailText(item, atCab, dcCompressedSize), "");
    EXPECT_EQ(DetailText(item, atLha, dcMode), "-lh5-");
    EXPECT_EQ(DetailText(item, atLha, dcAttribute), "A--R");
    EXPECT_EQ(DetailText(item, atLha, dcPath), "docs/");
}

TEST(TypeNameTest, FallBacksWhenTheDesktopKnowsNoName)
{
    EXPECT_EQ(FallbackTypeName("dir/file.zzq"), "ZZQ ファイル");
    EXPECT_EQ(FallbackTypeName("dir/README"), "ファイル");
    EXPECT_EQ(TypeNameForStoredName("x/unknown.zzqq9", false), "ZZQQ9 ファイル");
    EXPECT_EQ(TypeNameForStoredName("x/noextension", false), "ファイル");
    EXPECT_FALSE(TypeNameForStoredName("x/a.txt", false).empty());
    EXPECT_NE(TypeNameForStoredName("x/a.txt", false), "TXT ファイル");
    EXPECT_NE(TypeNameForStoredName("x/", true), "ファイル");
}

}  // namespace
}  // namespace zr::archive::test
