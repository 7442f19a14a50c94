// The content cache gives every search exactly what a search without it
// gives: the same hits, progress lines and skips, in the same order, with
// any pattern, encoding or stored-file filter, after the archives change,
// and with packs torn at any point.

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

#include "search/content_cache.h"
#include "search/content_pack.h"
#include "search_test_support.h"

namespace zr::search::test {
namespace {

namespace fs = std::filesystem;

// What a run shows, as one comparable value.
struct Shown {
    std::vector<std::string> hits;
    std::vector<std::string> progress;
    std::vector<std::string> skipped;
    std::string label;
    bool operator==(const Shown &) const = default;
};

void PrintTo(const Shown &s, std::ostream *os)
{
    *os << s.hits.size() << " hits, " << s.skipped.size() << " skips, label " << s.label;
}

// A text past the session's gather limit, so it streams; a hit near its end.
std::string LargeText()
{
    std::string text;
    while (text.size() < (3u << 20))
        text += "filler line " + std::to_string(text.size()) + " of a long stored file\n";
    return text + "the needle at the end\n";
}

// 検査 in Shift_JIS, on lines ended by CR LF.
const std::string kSjisText = "first line\r\n\x8c\x9f\x8d\xb8 needle here\r\nlast\r\n";

std::string Spoiled(std::string zip, const std::string &content)
{
    const auto at = zip.find(content);
    zip[at] = static_cast<char>(zip[at] ^ 0x20);
    return zip;
}

class ContentCacheTest : public SearchTreeTest {
protected:
    void SetUp() override
    {
        SearchTreeTest::SetUp();
        Add("a.zip", ZipOf({{"docs/", ""},
                            {"docs/one.txt", "alpha needle\nbeta\n"},
                            {"sjis.txt", kSjisText},
                            {"large.log", LargeText()},
                            {"empty.txt", ""}}));
        Add("sub/b.tar", TarOf({{"b1.txt", "NEEDLE upper\n"}, {"b2.dat", "needle in data\n"}}));
        Add("sub/c.lzh", LzhOf({{"c.txt", "ｎｅｅｄｌｅ wide\n"}, {"../climb.txt", "needle\n"}}));
        Add("d.zip",
            Spoiled(ZipOf({{"good.txt", "needle good\n"}, {"bad.txt", "needle bad text\n"}}), "needle bad"));
        Add("e.zip", "not an archive at all");
    }

    std::string CacheFolder() const { return scratch_ / "cache"; }

    Shown Search(const SearchConditions &c, bool cached)
    {
        RunOptions o = Options();
        if (cached)
            o.settings.cache.folder = CacheFolder();
        return Search(c, o);
    }
    Shown Search(const SearchConditions &c, const RunOptions &o)
    {
        RecordingSink sink;
        const RunSummary summary = RunSearch(c, o, sink, {});
        Shown shown;
        for (const THitRecord &hit : sink.hits)
            shown.hits.push_back(hit.ArchivePath + "|" + hit.StoredName + "|" + std::to_string(hit.LineNo) +
                                 "|" + hit.LineText);
        shown.progress = sink.progress;
        for (const SkippedArchive &s : sink.skipped)
            shown.skipped.push_back(s.path + "|" + SkipReasonName(s.reason) + "|" + s.detail);
        shown.label = summary.resultLabel;
        lastNotice_ = summary.cacheNotice;
        return shown;
    }

    // Uncached, then cached twice (filling, then played back): all alike.
    void ExpectSameWithCache(const SearchConditions &c)
    {
        const Shown plain = Search(c, false);
        EXPECT_EQ(Search(c, true), plain) << "filling the cache, pattern " << c.searchText;
        EXPECT_EQ(Search(c, true), plain) << "from the cache, pattern " << c.searchText;
    }

    std::vector<std::string> Packs() const
    {
        std::vector<std::string> packs;
        if (fs::exists(CacheFolder()))
            for (const auto &e : fs::directory_iterator(CacheFolder()))
                if (e.path().extension() == ".zrp")
                    packs.push_back(e.path());
        return packs;
    }

    std::string lastNotice_;
};

TEST_F(ContentCacheTest, EveryKindOfSearchGivesTheSameResultFromTheCache)
{
    SearchConditions c = Conditions("needle");
    ExpectSameWithCache(c);
    // One per file walked: that a file is no archive is worth keeping too.
    EXPECT_EQ(Packs().size(), 5u);
    c.searchText = "検査";
    ExpectSameWithCache(c);
    c.searchText = "ne+dle (here|wide)";
    ExpectSameWithCache(c);
    c.fuzzy = false;
    c.searchText = "NEEDLE";
    ExpectSameWithCache(c);
    c.searchText = "*";  // names only
    ExpectSameWithCache(c);
    c.searchText = "needle";
    c.storedFiles = "*.txt";
    ExpectSameWithCache(c);
    c.storedFiles = "*.*";  // wider than the packs now hold: read again
    ExpectSameWithCache(c);
    EXPECT_TRUE(lastNotice_.empty());
}

TEST_F(ContentCacheTest, AForcedEncodingReadsTheStoredBytesAsWithoutTheCache)
{
    // The packs hold the bytes as stored, so one filled under any encoding serves every other.
    const SearchConditions c = Conditions("検査|needle");
    RunOptions cached = Options();
    cached.settings.cache.folder = CacheFolder();
    for (const auto encoding : {regex::TEncodingChoice::ecEucJp, regex::TEncodingChoice::ecCp932,
                                regex::TEncodingChoice::ecUtf8, regex::TEncodingChoice::ecAuto}) {
        RunOptions plain = Options();
        plain.settings.textEncoding = cached.settings.textEncoding = encoding;
        EXPECT_EQ(Search(c, cached), Search(c, plain)) << regex::EncodingChoiceName(encoding);
    }
}

TEST_F(ContentCacheTest, ChangedArchivesAreReadAgain)
{
    const SearchConditions c = Conditions("needle");
    Search(c, true);
    // Replaced by another archive under the same name.
    Add("a.zip", ZipOf({{"new.txt", "a new needle\n"}}));
    EXPECT_EQ(Search(c, true), Search(c, false));
    // Touched only: the same bytes, a new time.
    const std::string tar = tree_ / "sub/b.tar";
    ::utimensat(AT_FDCWD, tar.c_str(), nullptr, 0);
    EXPECT_EQ(Search(c, true), Search(c, false));
    // Cut short.
    fs::resize_file(tree_ / "d.zip", fs::file_size(tree_ / "d.zip") / 2);
    EXPECT_EQ(Search(c, true), Search(c, false));
    // Renamed: another path for the same file.
    fs::rename(tree_ / "sub/c.lzh", tree_ / "moved.lzh");
    EXPECT_EQ(Search(c, true), Search(c, false));
    EXPECT_EQ(Search(c, true), Search(c, false));
}

TEST_F(ContentCacheTest, TornOrForeignPacksAreIgnoredAndReplaced)
{
    const SearchConditions c = Conditions("needle");
    const Shown plain = Search(c, false);
    Search(c, true);
    std::mt19937 random(29);
    for (int round = 0; round < 12; ++round) {
        for (const std::string &pack : Packs()) {
            const auto size = fs::file_size(pack);
            if (round % 3 == 2) {  // one byte changed where a write might have gone wrong
                std::string bytes(size, '\0');
                const int fd = ::open(pack.c_str(), O_RDWR);
                ASSERT_EQ(::pread(fd, bytes.data(), size, 0), static_cast<ssize_t>(size));
                const auto at = random() % size;
                bytes[at] = static_cast<char>(bytes[at] ^ 0x01);
                ASSERT_EQ(::pwrite(fd, bytes.data() + at, 1, static_cast<off_t>(at)), 1);
                ::close(fd);
            } else {  // a write cut short
                fs::resize_file(pack, random() % size);
            }
        }
        ASSERT_EQ(Search(c, true), plain) << "round " << round;
    }
    // The last run put whole packs back, and they are used.
    EXPECT_EQ(Packs().size(), 5u);
    EXPECT_EQ(Search(c, true), plain);
}

TEST_F(ContentCacheTest, AStoppedSearchLeavesNoShortPackBehind)
{
    std::stop_source stop;
    RunOptions o = Options();
    o.settings.cache.folder = CacheFolder();
    RecordingSink sink;
    sink.onHit = [&stop](const THitRecord &) { stop.request_stop(); };
    RunSearch(Conditions("needle"), o, sink, stop.get_token());
    // Whatever packs the cut walk left must be whole.
    const Shown plain = Search(Conditions("needle"), false);
    ASSERT_LT(sink.hits.size(), plain.hits.size());
    EXPECT_EQ(Search(Conditions("needle"), true), plain);
}

TEST_F(ContentCacheTest, AFolderThatCannotBeWrittenTurnsTheCacheOffWithANotice)
{
    const std::string blocker = scratch_ / "blocker";
    {
        std::FILE *f = std::fopen(blocker.c_str(), "w");
        std::fclose(f);
    }
    RunOptions o = Options();
    o.settings.cache.folder = blocker + "/cache";  // below a file
    const SearchConditions c = Conditions("needle");
    EXPECT_EQ(Search(c, o), Search(c, false));
    o.settings.cache.folder = blocker + "/cache";
    Search(c, o);
    EXPECT_NE(lastNotice_.find(blocker), std::string::npos) << lastNotice_;
}

TEST_F(ContentCacheTest, WorkersWriteAndReadTheSamePacks)
{
    const SearchConditions c = Conditions("needle");
    const Shown plain = Search(c, false);
    RunOptions o = Options();
    o.useWorkers = true;
    o.workerProgram = std::string(std::getenv("ZR_BIN_DIR") ? std::getenv("ZR_BIN_DIR") : ".") + "/zrworker";
    o.settings.cache.folder = CacheFolder();
    EXPECT_EQ(Search(c, o), plain) << "filling the cache";
    EXPECT_EQ(Search(c, o), plain) << "from the cache";
    EXPECT_EQ(Packs().size(), 5u) << "the confined workers wrote the packs";
}

}  // namespace
}  // namespace zr::search::test
