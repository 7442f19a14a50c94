// Archives stored inside archives: found by content whatever their name,
// searched inside to the depth setting, with the chain of enclosing names on
// every hit; damage, unsafe names and bombs inside stay inside.

#include <zlib.h>

#include <algorithm>
#include <filesystem>

#include "search/nested_archive_kind.h"
#include "search/nested_spool.h"
#include "search/stored_name_filter.h"
#include "search/worker_messages.h"
#include "search_test_support.h"

namespace zr::search::test {
namespace {

std::string BinDir()
{
    const char *dir = std::getenv("ZR_BIN_DIR");
    return dir ? dir : ".";
}

std::string Fixture(const std::string &name)
{
    return zr::testing::ReadFileBytes(SourceDir() + "/tests/search/fixtures/" + name);
}

// A gzip stream of `size` bytes "a" (a few KB whatever the size; not zeros,
// which would read as an empty tar).
std::string GzipOfLetters(std::size_t size)
{
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, 31, 9, Z_DEFAULT_STRATEGY);
    const std::string zeros(1 << 20, 'a');
    std::string out;
    char buffer[1 << 16];
    for (std::size_t left = size; left > 0 || z.avail_in > 0;) {
        const std::size_t n = std::min(left, zeros.size());
        z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(zeros.data()));
        z.avail_in = static_cast<uInt>(n);
        left -= n;
        const int flush = left == 0 ? Z_FINISH : Z_NO_FLUSH;
        do {
            z.next_out = reinterpret_cast<Bytef *>(buffer);
            z.avail_out = sizeof buffer;
            deflate(&z, flush);
            out.append(buffer, sizeof buffer - z.avail_out);
        } while (z.avail_out == 0);
        if (flush == Z_FINISH)
            break;
    }
    deflateEnd(&z);
    return out;
}

// (via..., stored, line) of every hit, for comparing whole runs.
std::vector<std::string> HitKeys(const std::vector<THitRecord> &hits)
{
    std::vector<std::string> keys;
    for (const THitRecord &hit : hits) {
        std::string key = std::filesystem::path(hit.ArchivePath).filename().string();
        for (const std::string &outer : hit.Via)
            key += "{" + outer + "}";
        keys.push_back(key + "{" + hit.StoredName + "}:" + std::to_string(hit.LineNo));
    }
    std::sort(keys.begin(), keys.end());
    return keys;
}

class NestedArchiveTest : public SearchTreeTest {
protected:
    void AddNestedFixture(const std::string &name) { Add(name, Fixture("nested/" + name)); }

    RunSummary RunWith(const SearchConditions &c, bool workers, NestSettings nest = {})
    {
        RunOptions o = Options();
        o.settings.nest = nest;
        if (workers) {
            o.useWorkers = true;
            o.workerProgram = BinDir() + "/zrworker";
        }
        return RunSearch(c, o, sink_, {});
    }

    std::vector<SkippedArchive> SkippedFor(SkipReason reason) const
    {
        std::vector<SkippedArchive> found;
        std::copy_if(sink_.skipped.begin(), sink_.skipped.end(), std::back_inserter(found),
                     [&](const SkippedArchive &s) { return s.reason == reason; });
        return found;
    }
};

TEST_F(NestedArchiveTest, FindsTextInEachKindOfInnerArchive)
{
    for (const char *name :
         {"zip-in.lzh", "tgz-in.zip", "7z-in.tar.bz2", "cab-in.zip", "gz-in.zip", "three-deep.zip"})
        AddNestedFixture(name);
    const std::vector<std::string> expected = {
        "7z-in.tar.bz2{inner.7z}{d.txt}:2",
        "7z-in.tar.bz2{top.txt}:2",
        "cab-in.zip{inner.cab}{f.txt}:2",
        "cab-in.zip{top.txt}:2",
        "gz-in.zip{c.txt.gz}{c.txt}:2",
        "gz-in.zip{top.txt}:2",
        "tgz-in.zip{inner.tar.gz}{b.txt}:2",
        "tgz-in.zip{top.txt}:2",
        "three-deep.zip{l1.zip}{l2.tgz}{l3.zip}{e.txt}:2",
        "zip-in.lzh{inner.zip}{docs/a.txt}:2",
        "zip-in.lzh{top.txt}:2",
    };
    // In this process and through the workers' messages alike.
    for (const bool workers : {false, true}) {
        sink_.hits.clear();
        const RunSummary summary = RunWith(Conditions("needle"), workers);
        EXPECT_EQ(HitKeys(sink_.hits), expected) << (workers ? "workers" : "in process");
        EXPECT_EQ(summary.hitCount, static_cast<int>(expected.size()));
        EXPECT_TRUE(sink_.skipped.empty());
    }
    EXPECT_TRUE(WorkLeftovers().empty());
}

TEST_F(NestedArchiveTest, ArchiveJudgedByContentNotByNameAndDocumentsLeftAlone)
{
    AddNestedFixture("odd-name.zip");
    RunWith(Conditions("needle"), false);
    // inner.dat is a ZIP; report.docx is a ZIP too but is no archive to open.
    EXPECT_EQ(HitKeys(sink_.hits),
              (std::vector<std::string>{"odd-name.zip{inner.dat}{g.txt}:2", "odd-name.zip{report.docx}:3"}));
}

TEST_F(NestedArchiveTest, OffOrTooDeepScansTheStoredArchiveAsAFile)
{
    Add("stored.zip", ZipOf({{"inner.zip", ZipOf({{"a.txt", "stored needle\n"}})}}));
    SearchConditions off = Conditions("needle");
    off.nestedArchives = false;
    RunWith(off, false);
    EXPECT_EQ(HitKeys(sink_.hits), (std::vector<std::string>{"stored.zip{inner.zip}:2"}));

    std::filesystem::remove(tree_ / "stored.zip");
    AddNestedFixture("three-deep.zip");
    Add("copy.zip", Fixture("nested/three-deep.zip"));
    sink_.hits.clear();
    NestSettings shallow;
    shallow.maxDepth = 2;
    RunWith(Conditions("needle"), true, shallow);
    EXPECT_EQ(HitKeys(sink_.hits), (std::vector<std::string>{"copy.zip{l1.zip}{l2.tgz}{l3.zip}:3",
                                                             "three-deep.zip{l1.zip}{l2.tgz}{l3.zip}:3"}));
    // Told once per run, where the depth was first reached.
    const auto deep = SkippedFor(SkipReason::NestTooDeep);
    ASSERT_EQ(deep.size(), 1u);
    EXPECT_EQ(deep[0].detail, "l1.zip \xC2\xBB l2.tgz \xC2\xBB l3.zip (depth 2)");
}

TEST_F(NestedArchiveTest, StoredFileFilterAppliesToInnermostNames)
{
    AddNestedFixture("zip-in.lzh");
    AddNestedFixture("odd-name.zip");
    SearchConditions c = Conditions("needle");
    c.storedFiles = "a.txt;g.txt";
    RunWith(c, false);
    EXPECT_EQ(HitKeys(sink_.hits), (std::vector<std::string>{"odd-name.zip{inner.dat}{g.txt}:2",
                                                             "zip-in.lzh{inner.zip}{docs/a.txt}:2"}));

    sink_.hits.clear();
    sink_.skipped.clear();
    c.storedFiles = "*.md";
    RunWith(c, false);
    EXPECT_TRUE(sink_.hits.empty());
    EXPECT_EQ(SkippedFor(SkipReason::NoMatchingEntries).size(), 2u);
}

TEST_F(NestedArchiveTest, ListModeListsNestedStoredFiles)
{
    AddNestedFixture("zip-in.lzh");
    RunWith(Conditions(""), true);
    EXPECT_EQ(HitKeys(sink_.hits),
              (std::vector<std::string>{"zip-in.lzh{inner.zip}:0", "zip-in.lzh{inner.zip}{docs/a.txt}:0",
                                        "zip-in.lzh{top.txt}:0"}));
}

TEST_F(NestedArchiveTest, DamageInsideIsReportedAndEverythingElseKept)
{
    // damaged.zip: broken.txt fails its CRC, intact.txt is fine. junk.zip
    // starts like a ZIP and is nothing: reported, and searched as bytes.
    Add("outer.zip", ZipOf({{"damaged.zip", Fixture("damaged.zip")},
                            {"junk.zip", std::string("PK\x03\x04", 4) + std::string(26, '\0') +
                                             std::string(600, 'x') + "\njunk needle\n"},
                            {"kept.txt", "kept needle\n"}}));
    RunWith(Conditions("needle"), false);
    EXPECT_EQ(HitKeys(sink_.hits),
              (std::vector<std::string>{"outer.zip{damaged.zip}{intact.txt}:1", "outer.zip{junk.zip}:2",
                                        "outer.zip{kept.txt}:1"}));
    const auto damaged = SkippedFor(SkipReason::Damaged);
    ASSERT_EQ(damaged.size(), 2u);
    EXPECT_TRUE(damaged[0].detail.starts_with("damaged.zip \xC2\xBB broken.txt (")) << damaged[0].detail;
    EXPECT_TRUE(damaged[1].detail.starts_with("junk.zip (")) << damaged[1].detail;
    EXPECT_EQ(sink_.last.damagedArchives.size(), 1u);
}

TEST_F(NestedArchiveTest, EncryptedInnerArchivesAreReportedAsSuch)
{
    Add("outer.zip",
        ZipOf({{"entries.zip", Fixture("zipcrypto.zip")}, {"names.7z", Fixture("header-locked.7z")}}));
    RunWith(Conditions("needle"), true);
    EXPECT_EQ(HitKeys(sink_.hits), (std::vector<std::string>{"outer.zip{entries.zip}{open.txt}:1"}));
    std::vector<std::string> locked;
    for (const SkippedArchive &s : SkippedFor(SkipReason::PasswordProtected))
        locked.push_back(s.detail);
    EXPECT_EQ(locked, (std::vector<std::string>{"entries.zip \xC2\xBB locked.txt", "names.7z"}));
    EXPECT_EQ(sink_.last.passwordArchives.size(), 1u);
}

TEST_F(NestedArchiveTest, UnsafeNameInsideIsRefusedAndNothingIsWritten)
{
    Add("outer.zip",
        ZipOf({{"inner.zip", ZipOf({{"../../evil.txt", "evil needle\n"}, {"ok.txt", "ok needle\n"}})}}));
    RunWith(Conditions("needle"), true);
    EXPECT_EQ(HitKeys(sink_.hits), (std::vector<std::string>{"outer.zip{inner.zip}{ok.txt}:1"}));
    const auto refused = SkippedFor(SkipReason::EntryRefused);
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_EQ(refused[0].detail, "inner.zip \xC2\xBB ../../evil.txt");
    EXPECT_FALSE(std::filesystem::exists(scratch_ / "evil.txt"));
    EXPECT_FALSE(std::filesystem::exists(tree_ / "evil.txt"));
    EXPECT_TRUE(WorkLeftovers().empty());
}

TEST_F(NestedArchiveTest, Cp932NamesInsideReadAsAtTheTop)
{
    // 資料\メモ.txt in CP932, in an LHA inside a ZIP.
    const std::string name = "\x8e\x91\x97\xbf\\\x83\x81\x83\x82.txt";
    Add("outer.zip", ZipOf({{"old.lzh", LzhOf({{name, "first\r\nmemo needle\r\n"}})}}));
    RunWith(Conditions("needle"), true);
    ASSERT_EQ(sink_.hits.size(), 1u);
    EXPECT_EQ(sink_.hits[0].Via, std::vector<std::string>{"old.lzh"});
    std::string stored = sink_.hits[0].StoredName;
    std::replace(stored.begin(), stored.end(), '\\', '/');
    EXPECT_EQ(stored, "資料/メモ.txt");
    EXPECT_EQ(sink_.hits[0].LineNo, 2);
}

TEST_F(NestedArchiveTest, SameInnerArchiveTwiceIsSearchedTwice)
{
    const std::string inner = ZipOf({{"a.txt", "twice needle\n"}});
    Add("outer.zip", ZipOf({{"one.zip", inner}, {"two.zip", inner}}));
    const RunSummary summary = RunWith(Conditions("needle"), false);
    EXPECT_EQ(summary.fileCount, 2);  // the same name in two inner archives is two stored files
    EXPECT_EQ(HitKeys(sink_.hits),
              (std::vector<std::string>{"outer.zip{one.zip}{a.txt}:1", "outer.zip{two.zip}{a.txt}:1"}));
}

TEST_F(NestedArchiveTest, WideDeepNestStopsAtItsBudgetAndKeepsTheRest)
{
    // 42.zip in small: four of sixteen of sixteen compressed streams of
    // 8 MiB of letters each (8 GiB in all).
    const std::string leaf = GzipOfLetters(8u << 20);
    Members level1, level2, level3;
    for (int i = 0; i < 16; ++i)
        level1.push_back({"z" + std::to_string(i) + ".gz", leaf});
    const std::string l1 = ZipOf(level1);
    for (int i = 0; i < 16; ++i)
        level2.push_back({"l" + std::to_string(i) + ".zip", l1});
    const std::string l2 = ZipOf(level2);
    for (int i = 0; i < 4; ++i)
        level3.push_back({"m" + std::to_string(i) + ".zip", l2});
    level3.push_back({"top.txt", "top needle\n"});
    Add("bomb.zip", ZipOf(level3));
    NestSettings nest;
    nest.maxDepth = kMaxNestDepth;
    nest.dataBudget = 48u << 20;
    nest.memoryBudget = 1u << 20;  // the inner archives go to work files past it
    const RunSummary summary = RunWith(Conditions("needle"), false, nest);
    EXPECT_FALSE(summary.stopped);
    EXPECT_EQ(HitKeys(sink_.hits), (std::vector<std::string>{"bomb.zip{top.txt}:1"}));
    const auto limit = SkippedFor(SkipReason::NestLimit);
    ASSERT_EQ(limit.size(), 1u);
    EXPECT_NE(limit[0].detail.find("more data than one archive may decompress"), std::string::npos);
    EXPECT_TRUE(WorkLeftovers().empty());
}

// ---- the parts

TEST(NestedArchiveKind, JudgesFormatsByTheirFirstBytes)
{
    using namespace std::string_literals;
    std::string tar(512, '\0');
    tar.replace(257, 5, "ustar");
    const std::vector<std::pair<std::string, archive::TArchiveType>> cases = {
        {"PK\x03\x04rest"s, archive::atZip},
        {"PK\x05\x06"s, archive::atZip},
        {"Rar!\x1a\x07\x01\x00"s, archive::atRar},
        {"7z\xbc\xaf\x27\x1c"s, archive::at7z},
        {"MSCF\0\0\0\0"s, archive::atCab},
        {"\x60\xea"s, archive::atArj},
        {"\x20\x00-lh5-"s, archive::atLha},
        {"\x20\x00-lz4-"s, archive::atLha},
        {"\x1f\x8b\x08"s, archive::atTar},
        {"BZh91AY"s, archive::atTar},
        {"\xfd"
         "7zXZ\0"s,
         archive::atTar},
        {"\x28\xb5\x2f\xfd"s, archive::atTar},
        {"\x04\x22\x4d\x18"s, archive::atTar},
        {"LZIP\x01"s, archive::atTar},
        {"\x1f\x9d\x90"s, archive::atTar},
        {tar, archive::atTar},
        {"PK\x01\x02"s, archive::atNone},
        {"plain text -lh5-"s, archive::atNone},
        {""s, archive::atNone},
        {"MZ\x90\x00"s, archive::atNone},
    };
    for (const auto &[head, type] : cases)
        EXPECT_EQ(NestedArchiveType(head), type) << head;
    EXPECT_TRUE(IsCompressedStreamHead("\x1f\x8b"));
    EXPECT_FALSE(IsCompressedStreamHead(tar));
}

TEST(NestedArchiveKind, NamesOfDocumentsArchivesAndStreamEntries)
{
    for (const char *name : {"a.docx", "b/C.XLSX", "d.pptx", "e.odt", "f.ods", "g.odp", "h.docm", "i.xlsm"})
        EXPECT_TRUE(IsDocumentContainerName(name)) << name;
    for (const char *name : {"a.doc", "a.zip", "docx", "a.docx.zip"})
        EXPECT_FALSE(IsDocumentContainerName(name)) << name;
    EXPECT_TRUE(HasArchiveExtension("dir/X.LZH"));
    EXPECT_FALSE(HasArchiveExtension("a.txt"));
    EXPECT_EQ(CompressedStreamEntryName("dir/a.txt.gz"), "a.txt");
    EXPECT_EQ(CompressedStreamEntryName("b.TGZ"), "b.tar");
    EXPECT_EQ(CompressedStreamEntryName("c.Z"), "c");
    EXPECT_EQ(CompressedStreamEntryName("noext"), "noext");
}

TEST(StoredNameFilter, MatchesAsTheLibrariesDo)
{
    EXPECT_TRUE(StoredNameFilter("*.*").MatchesAll());
    EXPECT_TRUE(StoredNameFilter("").MatchesAll());
    const StoredNameFilter filter("*.TXT \"my file.md\" docs/*.c");
    EXPECT_TRUE(filter.Matches("dir\\a.txt"));
    EXPECT_TRUE(filter.Matches("x/my file.md"));
    EXPECT_TRUE(filter.Matches("docs\\m.c"));
    EXPECT_FALSE(filter.Matches("src/m.c"));
    EXPECT_FALSE(filter.Matches("a.txt.bak"));
}

TEST(NestedSpool, MovesToAFileWithoutANamePastItsMemoryAndKnowsItsTwin)
{
    zr::test::ScratchFolder folder;
    const std::string bytes = std::string(300, 'a') + "tail";
    NestedSpool spool(folder.Path(), 100);
    ASSERT_TRUE(spool.Write(bytes.substr(0, 50)));
    EXPECT_TRUE(spool.InMemory());
    ASSERT_TRUE(spool.Write(bytes.substr(50)));
    EXPECT_FALSE(spool.InMemory());
    EXPECT_EQ(zr::testing::ReadFileBytes(spool.Path()), bytes);
    EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));  // no name left behind

    const std::string twin = folder.Write("twin.bin", bytes);
    const std::string other = folder.Write("other.bin", std::string(300, 'a') + "TAIL");
    EXPECT_TRUE(SpoolHoldsFile(spool, twin));
    EXPECT_FALSE(SpoolHoldsFile(spool, other));
    // The hash does not depend on how the bytes came in blocks.
    EXPECT_EQ(NestContentHash(bytes), spool.ContentHash());
}

TEST(NestedHitMessages, ChainCrossesTheWorkerBoundary)
{
    THitRecord hit{"/a/b.lzh", "docs/a.txt", 7, "x\x81\x94y"};
    hit.Via = {"inner.zip", "deeper.tgz"};
    hit.Substitutes = {{1, "\xE2\x80\xA2"}};
    const WorkerPayload payload = EncodeWorkerEvent(HitEvent{hit});
    const auto decoded = DecodeWorkerEvent(payload);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(std::get<HitEvent>(*decoded).hit, hit);

    WorkerPayload lying = payload;
    lying.numbers[2] = 5;  // more enclosing names than texts
    EXPECT_FALSE(DecodeWorkerEvent(lying));
    lying.numbers[2] = -1;
    EXPECT_FALSE(DecodeWorkerEvent(lying));
}

class NestedViewTest : public SearchTreeTest {};

TEST_F(NestedViewTest, ExtractsTheInnermostFileThroughItsChain)
{
    const std::string archive = Add("three-deep.zip", Fixture("nested/three-deep.zip"));
    std::filesystem::create_directories(work_);
    const std::vector<std::string> via = {"l1.zip", "l2.tgz", "l3.zip"};
    for (const bool worker : {false, true}) {
        const ViewExtractResult result =
            worker ? ExtractForViewInWorker(archive, "e.txt", work_, RunSettings{}, BinDir() + "/zrworker",
                                            worker::WorkerLimits{}, {}, via)
                   : ExtractForView(archive, "e.txt", work_, RunSettings{}, {}, via);
        ASSERT_EQ(result.status, ViewExtractStatus::Extracted) << worker << " " << result.detail;
        EXPECT_EQ(result.file, ViewTargetPath(work_, "e.txt"));
        EXPECT_EQ(zr::testing::ReadFileBytes(result.file), "first line\nthree-deep needle\n");
    }
    // A name missing at any level is not found, and leaves nothing behind.
    std::filesystem::remove(ViewTargetPath(work_, "e.txt"));
    EXPECT_EQ(
        ExtractForView(archive, "e.txt", work_, RunSettings{}, {}, {"l1.zip", "nope.tgz", "l3.zip"}).status,
        ViewExtractStatus::NotFound);
    EXPECT_EQ(ExtractForView(archive, "none.txt", work_, RunSettings{}, {}, via).status,
              ViewExtractStatus::NotFound);
    EXPECT_FALSE(std::filesystem::exists(ViewTargetPath(work_, "none.txt")));

    const auto job = DecodeWorkerJob(EncodeWorkerJob(ViewJob{archive, "e.txt", via}));
    ASSERT_TRUE(job);
    EXPECT_EQ(std::get<ViewJob>(*job).via, via);
}

}  // namespace
}  // namespace zr::search::test
