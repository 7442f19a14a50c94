// The memo of the last archive walked: every export answers exactly as
// without it, a changed file is never served from it, and only whole data
// is ever replayed.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <zlib.h>

#include <cstring>

#include "archiver_test_support.h"
#include "archivers/core/command_dialects.h"
#include "archivers/core/libarchive_reader.h"
#include "archivers/core/library_exports.h"
#include "archivers/core/walk_memo.h"
#include "test_archive_writers.h"

namespace zr::archivers::test {
namespace {

int g_realOpens = 0;

template <LibarchiveFormat format>
OpenResult CountingOpen(const std::string &path, const OpenOptions &options)
{
    ++g_realOpens;
    return OpenLibarchiveReader(path, format, options);
}

template <LibarchiveFormat format> LibraryTraits Traits(bool remember)
{
    return LibraryTraits{
        "Test",  &CountingOpen<format>, TarDialect(), StopSense::kStopOnZero, RatioSense::kCompressedShare,
        remember};
}

std::string Gzip(const std::string &bytes, int level = 6)
{
    z_stream z{};
    deflateInit2(&z, level, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&z, bytes.size()) + 64, '\0');
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(bytes.data()));
    z.avail_in = static_cast<uInt>(bytes.size());
    z.next_out = reinterpret_cast<Bytef *>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

std::string Text(char seed, std::size_t size)
{
    std::string text;
    for (std::size_t i = 0; text.size() < size; ++i)
        text += std::string("line ") + seed + std::to_string(i * 7919 % 10007) + "\n";
    text.resize(size);
    return text;
}

// What a caller sees of one archive through every export, in the order the
// search calls them.
struct Observed {
    int check = 0;
    int count = 0;
    std::vector<std::string> records;  // raw TIndividualInfo bytes
    int extract = 0;
    std::string log;
    std::map<std::string, std::string> files;

    bool operator==(const Observed &) const = default;
};

Observed Observe(const LibraryTraits &traits, const std::string &archive, const fs::path &dest)
{
    Observed seen;
    seen.check = CheckArchive(traits, archive.c_str(), ZR_ARC_CHECK_HEADERS);
    seen.count = GetFileCount(traits, archive.c_str());
    if (HARC arc = OpenArchive(traits, nullptr, archive.c_str(), 0)) {
        TIndividualInfo info{};
        for (int r = FindFirst(arc, "*", &info); r == ZR_ARC_FIND_OK; r = FindNext(arc, &info)) {
            seen.records.emplace_back(reinterpret_cast<const char *>(&info), sizeof info);
            std::memset(&info, 0, sizeof info);
        }
        CloseArchive(arc);
    }
    fs::create_directories(dest);
    char output[8192] = {};
    const std::string command = "-x -f " + Quote(archive) + " " + Quote(dest.string() + "/");
    seen.extract = RunCommand(traits, nullptr, command.c_str(), output, sizeof output);
    seen.log = output;
    seen.files = FilesBelow(dest);
    return seen;
}

template <LibarchiveFormat format> void ExpectSameWithMemo(const std::string &archive, int maxRealOpens)
{
    SCOPED_TRACE(archive);
    TempDir box;
    LibraryWalkMemo().drop();
    const Observed plain = Observe(Traits<format>(false), archive, box.path() / "plain");
    g_realOpens = 0;
    const Observed remembered = Observe(Traits<format>(true), archive, box.path() / "memo");
    // The log names the destination: compare it with the other folder's name.
    Observed expected = plain;
    for (std::size_t at; (at = expected.log.find("/plain/")) != std::string::npos;)
        expected.log.replace(at, 7, "/memo/");
    EXPECT_EQ(remembered, expected);
    EXPECT_LE(g_realOpens, maxRealOpens);
    // The type the search asks for next comes from the walk when it was kept.
    if (const int type = RememberedArchiveType(archive))
        EXPECT_EQ(type, DetectTarType(archive));
    else
        EXPECT_NE(maxRealOpens, 1) << "a compressed tar's walk should have been kept";
}

TEST(WalkMemo, EveryExportAnswersAsWithoutIt)
{
    // Compressed tars are walked once (plus the listing's first open);
    // the others are never remembered and answer as before.
    for (const char *name : {"sample.tgz", "sample.tar.bz2", "sample.tar.xz", "sample.tar.zst",
                             "sample.tar.lz", "sample.tar.lz4", "sample.tar.Z"})
        ExpectSameWithMemo<LibarchiveFormat::kTar>(FixturePath(name), 1);
    for (const char *name : {"sample.tar", "hostile.tar", "truncated.tgz", "repeat.txt.gz", "repeat.txt.bz2"})
        ExpectSameWithMemo<LibarchiveFormat::kTar>(FixturePath(name), 5);
    ExpectSameWithMemo<LibarchiveFormat::kZip>(FixturePath("sample.zip"), 5);
    ExpectSameWithMemo<LibarchiveFormat::kZip>(FixturePath("badcrc.zip"), 5);
    ExpectSameWithMemo<LibarchiveFormat::kLha>(FixturePath("lh7.lzh"), 5);
    ExpectSameWithMemo<LibarchiveFormat::kCab>(FixturePath("mszip.cab"), 5);
    ExpectSameWithMemo<LibarchiveFormat::k7z>(FixturePath("sample.7z"), 5);
}

TEST(WalkMemo, FailedWalksLeaveNoMemo)
{
    const LibraryTraits traits = Traits<LibarchiveFormat::kTar>(true);
    LibraryWalkMemo().drop();
    EXPECT_EQ(CheckArchive(traits, FixturePath("truncated.tgz").c_str(), ZR_ARC_CHECK_HEADERS), 0);
    EXPECT_TRUE(LibraryWalkMemo().empty());
    // A walk stopped after the first entry keeps nothing either.
    EXPECT_EQ(CheckArchive(traits, FixturePath("sample.tgz").c_str(), 0), 1);
    EXPECT_TRUE(LibraryWalkMemo().empty());
    EXPECT_EQ(CheckArchive(traits, FixturePath("sample.tgz").c_str(), ZR_ARC_CHECK_HEADERS), 1);
    EXPECT_FALSE(LibraryWalkMemo().empty());
    // Another archive walked drops the first one's memo.
    EXPECT_EQ(CheckArchive(traits, FixturePath("truncated.tgz").c_str(), ZR_ARC_CHECK_HEADERS), 0);
    EXPECT_TRUE(LibraryWalkMemo().empty());
}

struct ChangingArchive : ::testing::Test {
    TempDir box;
    fs::path archive = box.path() / "a.tar.gz";
    // Stored deflate blocks: the same size for contents of the same length.
    std::string first = Gzip(MakeUstar({{"a.txt", Text('a', 5000)}, {"b.txt", Text('b', 3000)}}), 0);
    std::string second = Gzip(MakeUstar({{"a.txt", Text('A', 5000)}, {"b.txt", Text('B', 3000)}}), 0);
};

TEST_F(ChangingArchive, ARewrittenFileIsReadAfresh)
{
    ASSERT_EQ(first.size(), second.size());
    WriteFile(archive, first);
    struct stat before {};
    ASSERT_EQ(::stat(archive.c_str(), &before), 0);
    const LibraryTraits traits = Traits<LibarchiveFormat::kTar>(true);
    ASSERT_EQ(CheckArchive(traits, archive.c_str(), ZR_ARC_CHECK_HEADERS), 1);
    ASSERT_FALSE(LibraryWalkMemo().empty());

    WriteFile(archive, second);
    const struct timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, archive.c_str(), times, 0), 0);
    const Observed seen = Observe(traits, archive.string(), box.path() / "out");
    EXPECT_EQ(seen.extract, ZR_ARC_OK);
    EXPECT_EQ(seen.files.at("a.txt"), Text('A', 5000));
    EXPECT_EQ(seen.files.at("b.txt"), Text('B', 3000));
}

TEST_F(ChangingArchive, TheMemoIsKeyedByTheBytesNotOnlyTheStamps)
{
    WriteFile(archive, first);
    WalkMemo memo;
    const auto walk = [&] {
        OpenResult opened =
            OpenRemembering(memo, &CountingOpen<LibarchiveFormat::kTar>, archive.string(), {});
        EntryInfo entry;
        while (opened.reader->next(entry) == ReadStatus::kOk) {
        }
    };
    walk();
    const auto kept = memo.find(archive.string(), {});
    ASSERT_NE(kept, nullptr);
    // Same stamps, other bytes (a rewrite within one clock tick).
    auto forged = std::make_shared<RememberedWalk>(*kept);
    forged->contentHash ^= 1;
    memo.keep(forged);
    EXPECT_EQ(memo.find(archive.string(), {}), nullptr);
    forged->stamp.changedNs += 1;
    forged->contentHash ^= 1;
    EXPECT_EQ(memo.find(archive.string(), {}), nullptr);
}

// A reader over the memo or the file, walked to its end, keeping the data
// of every entry `wanted` says.
std::map<std::string, std::string> ReadAll(ArchiveReader &reader,
                                           const std::function<bool(const EntryInfo &)> &wanted)
{
    std::map<std::string, std::string> files;
    EntryInfo entry;
    while (reader.next(entry) == ReadStatus::kOk) {
        if (!wanted(entry))
            continue;
        std::string &data = files[entry.name];
        EXPECT_EQ(reader.readData([&](const char *d, std::size_t n) { return data.append(d, n), true; }),
                  DataStatus::kComplete);
    }
    return files;
}

struct BudgetedMemo : ::testing::Test {
    TempDir box;
    std::string path = (box.path() / "b.tgz").string();
    std::vector<Member> members = {{"big1.txt", Text('1', 6000)},
                                   {"small.txt", Text('s', 1000)},
                                   {"big2.txt", Text('2', 7000)},
                                   {"tiny.txt", Text('t', 10)}};
    WalkMemo memo{8000};
    void SetUp() override { WriteFile(path, Gzip(MakeUstar(members))); }
    OpenResult open(const EntryNeed &need)
    {
        return OpenRemembering(memo, &CountingOpen<LibarchiveFormat::kTar>, path, {}, need);
    }
};

TEST_F(BudgetedMemo, OverTheBudgetTheExtractionStillGivesWholeFiles)
{
    const auto all = [](const EntryInfo &) { return true; };
    OpenResult first = open({});
    ReadAll(*first.reader, [](const EntryInfo &) { return false; });
    const auto kept = memo.find(path, {});
    ASSERT_NE(kept, nullptr);
    ASSERT_EQ(kept->entries.size(), 4u);
    EXPECT_TRUE(kept->entries[0].dataWhole);
    EXPECT_TRUE(kept->entries[1].dataWhole);
    EXPECT_FALSE(kept->entries[2].dataWhole);  // 7000 more would pass 8000
    EXPECT_TRUE(kept->entries[3].dataWhole);

    // Wanting only kept data: replayed without opening the file.
    g_realOpens = 0;
    OpenResult some = open([](const EntryInfo &e) { return e.name != "big2.txt"; });
    const auto replayed = ReadAll(*some.reader, [](const EntryInfo &e) { return e.name != "big2.txt"; });
    EXPECT_EQ(g_realOpens, 0);
    EXPECT_EQ(replayed.at("big1.txt"), members[0].data);
    EXPECT_EQ(replayed.at("tiny.txt"), members[3].data);

    // Wanting everything: the real reader, whole files.
    OpenResult every = open(all);
    const auto read = ReadAll(*every.reader, all);
    EXPECT_EQ(g_realOpens, 1);
    ASSERT_EQ(read.size(), members.size());
    for (const Member &m : members)
        EXPECT_EQ(read.at(m.name), m.data) << m.name;
}

TEST_F(BudgetedMemo, DataAReaderStoppedInIsNeverReplayed)
{
    OpenResult first = open({});
    EntryInfo entry;
    ASSERT_EQ(first.reader->next(entry), ReadStatus::kOk);
    // The caller takes one block and stops (a file-size limit, say).
    EXPECT_EQ(first.reader->readData([](const char *, std::size_t) { return false; }), DataStatus::kStopped);
    while (first.reader->next(entry) == ReadStatus::kOk) {
    }
    const auto kept = memo.find(path, {});
    ASSERT_NE(kept, nullptr);
    EXPECT_FALSE(kept->entries[0].dataWhole);
    EXPECT_EQ(kept->entries[0].decompressed, 6000u);

    g_realOpens = 0;
    OpenResult again = open([](const EntryInfo &) { return true; });
    EXPECT_EQ(g_realOpens, 1);
    EXPECT_EQ(ReadAll(*again.reader, [](const EntryInfo &) { return true; }).at("big1.txt"), members[0].data);
}

TEST_F(BudgetedMemo, SkippingSpendsTheUnwrittenBudgetAsDecompressingDid)
{
    OpenResult first = open({});
    ReadAll(*first.reader, [](const EntryInfo &) { return false; });
    ASSERT_FALSE(memo.empty());
    OpenOptions tight;
    tight.unwrittenBudget = 10000;  // less than the 14010 bytes skipped
    const auto walk = [&](OpenResult opened) {
        EntryInfo entry;
        ReadStatus status;
        while ((status = opened.reader->next(entry)) == ReadStatus::kOk) {
        }
        return std::make_pair(status, opened.reader->errorText());
    };
    g_realOpens = 0;
    const auto replayed = walk(OpenRemembering(memo, &CountingOpen<LibarchiveFormat::kTar>, path, tight));
    EXPECT_EQ(g_realOpens, 0);
    const auto real = walk(OpenLibarchiveReader(path, LibarchiveFormat::kTar, tight));
    EXPECT_EQ(replayed, real);
    EXPECT_EQ(real.first, ReadStatus::kError);
}

}  // namespace
}  // namespace zr::archivers::test
