// The pack format reads back what it wrote and refuses anything cut short;
// the cache folder keeps to its size and age bounds, least recently used
// packs leaving first, and removes only temporary files nobody writes.

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "search/content_cache.h"
#include "search/content_pack.h"
#include "test_support/scratch_folder.h"

namespace zr::search::test {
namespace {

namespace fs = std::filesystem;

PackIndex SampleIndex()
{
    PackIndex index;
    index.scope = {{1, 2, 3, 4, 5}, 6, 7, "*.txt *.log"};
    index.entryLimit = 8;
    index.walkResult = 3;
    index.message = "damaged after two entries";
    PackEntry taken;
    taken.record[0] = 0x41;
    taken.record[559] = 0x42;
    taken.fullName = "docs/one.txt";
    taken.taken = true;
    taken.dataSize = 1u << 20;
    taken.endResult = -1;
    taken.endReason = "CRC";
    PackEntry folder;
    folder.fullName = "docs/";
    folder.refusal = 1;
    index.entries = {taken, folder};
    return index;
}

TEST(PackFormatTest, AnIndexReadsBackWholeAndNeverWhenCut)
{
    const std::string bytes = EncodeIndex(SampleIndex());
    const std::optional<PackIndex> back = DecodeIndex(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->scope, SampleIndex().scope);
    EXPECT_EQ(back->entryLimit, 8u);
    EXPECT_EQ(back->message, "damaged after two entries");
    ASSERT_EQ(back->entries.size(), 2u);
    EXPECT_EQ(back->entries[0].record, SampleIndex().entries[0].record);
    EXPECT_EQ(back->entries[0].endReason, "CRC");
    EXPECT_EQ(back->entries[0].dataSize, 1u << 20);
    EXPECT_FALSE(back->entries[1].taken);
    for (std::size_t cut = 0; cut < bytes.size(); ++cut)
        ASSERT_FALSE(DecodeIndex(bytes.substr(0, cut))) << "cut at " << cut;
    EXPECT_FALSE(DecodeIndex(bytes + "x")) << "trailing bytes";
    EXPECT_FALSE(DecodePackHeader(std::string(kPackHeaderSize, 'Z')));
}

TEST(PackFormatTest, TheChecksumOfPiecesIsTheChecksumOfTheWhole)
{
    std::string text;
    for (int i = 0; i < 200; ++i)
        text.push_back(static_cast<char>(i * 7));
    PackChecksum whole;
    whole.Add(text);
    for (std::size_t a = 0; a <= text.size(); a += 3)
        for (std::size_t b = a; b <= text.size(); b += 13) {
            PackChecksum pieces;
            pieces.Add(text.substr(0, a));
            pieces.Add(text.substr(a, b - a));
            pieces.Add(text.substr(b));
            ASSERT_EQ(pieces.Value(), whole.Value()) << a << "," << b;
        }
    std::string changed = text;
    changed[150] ^= 1;
    PackChecksum other;
    other.Add(changed);
    EXPECT_NE(other.Value(), whole.Value());
    PackChecksum shorter;
    shorter.Add(text.substr(0, 199));
    EXPECT_NE(shorter.Value(), whole.Value());
}

class CacheFolderTest : public ::testing::Test {
protected:
    std::string MakePack(const std::string &name, std::size_t size, int ageSeconds)
    {
        const std::string path = folder_ / name;
        {
            std::FILE *f = std::fopen(path.c_str(), "w");
            const std::string bytes(size, 'p');
            std::fwrite(bytes.data(), 1, bytes.size(), f);
            std::fclose(f);
        }
        timespec times[2];
        ::clock_gettime(CLOCK_REALTIME, &times[0]);
        times[0].tv_sec -= ageSeconds;
        times[1] = times[0];
        ::utimensat(AT_FDCWD, path.c_str(), times, 0);
        return path;
    }
    std::vector<std::string> Left() const
    {
        std::vector<std::string> names;
        for (const auto &e : fs::directory_iterator(folder_.Path()))
            if (e.path().filename() != "lock")
                names.push_back(e.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }
    CacheSetup Setup(std::uint64_t sizeMb, int days) const { return {folder_.Path(), sizeMb, days}; }

    zr::test::ScratchFolder folder_;
};

TEST_F(CacheFolderTest, TheLeastRecentlyUsedPacksLeaveFirst)
{
    MakePack("a.zrp", 400 << 10, 40);
    MakePack("b.zrp", 400 << 10, 30);
    MakePack("c.zrp", 400 << 10, 20);
    MakePack("d.zrp", 400 << 10, 10);
    ContentCache cache(Setup(1, 30));  // 1 MiB: two packs fit
    cache.Touch(folder_ / "a.zrp");    // used just now
    cache.Trim();
    EXPECT_EQ(Left(), (std::vector<std::string>{"a.zrp", "d.zrp"}));
}

TEST_F(CacheFolderTest, PacksPastTheirDaysLeave)
{
    MakePack("old.zrp", 10, 3 * 86400);
    MakePack("new.zrp", 10, 86400 / 2);
    MakePack("other.bin", 10, 9 * 86400);  // not ours
    ContentCache(Setup(100, 2)).Trim();
    EXPECT_EQ(Left(), (std::vector<std::string>{"new.zrp", "other.bin"}));
}

TEST_F(CacheFolderTest, OnlyTemporaryFilesOfGoneWritersAreRemoved)
{
    ContentCache cache(Setup(100, 30));
    ASSERT_TRUE(cache.Prepare());
    TempPack writing = cache.BeginPack();
    ASSERT_TRUE(writing);
    MakePack("tmp-abandoned", 10, 0);  // no one holds it
    cache.Trim();
    EXPECT_EQ(Left(), (std::vector<std::string>{fs::path(writing.Path()).filename().string()}));
    ASSERT_TRUE(cache.Publish(writing, folder_ / "done.zrp"));
    EXPECT_EQ(Left(), (std::vector<std::string>{"done.zrp"}));
    EXPECT_TRUE(ContentCache::Clear(folder_.Path()));
    EXPECT_TRUE(Left().empty());
}

TEST_F(CacheFolderTest, TheFolderIsMadePrivate)
{
    const std::string inner = folder_ / "deeper/zurivo";
    ContentCache cache({inner, 100, 30});
    ASSERT_TRUE(cache.Prepare());
    struct stat st {};
    ASSERT_EQ(::stat(inner.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

}  // namespace
}  // namespace zr::search::test
