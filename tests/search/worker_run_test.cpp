// Runs whose archives are searched in worker processes: an archive that
// crashes, hangs or exhausts its library is skipped with the reason and
// costs nothing else; the good archives give exactly the hits of a run in
// one process.
#include <filesystem>
#include <fstream>
#include <random>

#include "search/worker_archive_search.h"
#include "search_test_support.h"

namespace zr::search::test {
namespace {

std::string BinDir()
{
    const char *dir = std::getenv("ZR_BIN_DIR");
    return dir ? dir : ".";
}

// A RAR 4 file header with the large-file flag whose 64-bit data size is
// `packed`: sizes near 2^64 made the header walk wrap before the file.
std::string Rar4LargeSize(std::uint64_t packed, std::size_t headerSize, std::size_t cut)
{
    std::string h(std::max<std::size_t>(headerSize, 40), '\0');
    h[2] = 0x74;
    h[4] = 0x01;  // flags 0x0100: large file
    h[5] = static_cast<char>(headerSize & 0xFF);
    h[6] = static_cast<char>(headerSize >> 8);
    for (int i = 0; i < 4; ++i) {
        h[7 + i] = static_cast<char>((packed >> (8 * i)) & 0xFF);
        h[32 + i] = static_cast<char>((packed >> (32 + 8 * i)) & 0xFF);
    }
    h[25] = 0x30;
    const std::string file = std::string("Rar!\x1a\x07\x00", 7) + h + std::string(16, '\0');
    return file.substr(0, std::min(cut, file.size()));
}

class WorkerRunTest : public SearchTreeTest {
protected:
    ~WorkerRunTest() override { archive::SetLibraryFolder(""); }

    RunOptions WorkerOptions() const
    {
        RunOptions o = Options();
        o.useWorkers = true;
        o.workerProgram = BinDir() + "/zrworker";
        worker::WorkerLimits limits;
        limits.stallSeconds = 2;
        limits.memoryBytes = std::uint64_t{1} << 30;
        limits.storedFileBytes = std::uint64_t{64} << 20;
        o.workerLimits = limits;
        return o;
    }

    // The real libraries, except a stand-in in the cabinet library's place.
    void UseStandInCabinetLibrary(const std::string &fault)
    {
        const std::string folder = scratch_ / ("libs-" + fault);
        std::filesystem::create_directories(folder);
        for (const char *lib : {"libUnlha32.so", "libUnzip32.so", "libTar32.so", "libunrar32.so",
                                "libunrar.so", "libUnarj32j.so", "libZip32j.so"})
            if (std::filesystem::exists(BinDir() + "/" + lib))
                std::filesystem::create_symlink(BinDir() + "/" + lib, folder + "/" + lib);
        std::filesystem::create_symlink(BinDir() + "/libstandin_cab_" + fault + ".so",
                                        folder + "/libcab32.so");
        archive::SetLibraryFolder(folder);
    }

    void AddGoodArchives()
    {
        Add("a.lzh", LzhOf({{"docs/a.txt", "needle one\r\nhay\r\nneedle two\r\n"}, {"b.txt", "hay\r\n"}}));
        Add("sub/b.zip", ZipOf({{"c.txt", "hay\r\nneedle three\r\n"}}));
        Add("z.lzh", LzhOf({{"d.txt", "needle four\r\n"}}));
    }

    std::vector<std::string> HitTexts() const
    {
        std::vector<std::string> texts;
        for (const auto &h : sink_.hits)
            texts.push_back(std::filesystem::path(h.ArchivePath).filename().string() + ":" + h.StoredName +
                            ":" + std::to_string(h.LineNo) + ":" + h.LineText);
        return texts;
    }

    // In the finder's order: a folder's files before its subfolders.
    const std::vector<std::string> kGoodHits = {"a.lzh:docs/a.txt:1:needle one",
                                                "a.lzh:docs/a.txt:3:needle two", "z.lzh:d.txt:1:needle four",
                                                "b.zip:c.txt:2:needle three"};
};

TEST_F(WorkerRunTest, HostileRarFilesAmongGoodArchivesAreSkippedAndEveryHitIsFound)
{
    AddGoodArchives();
    std::mt19937_64 random(63);
    int variants = 0;
    for (std::size_t cut : {std::size_t{63}, std::size_t{20}, std::size_t{47}, std::size_t{1000}})
        for (int i = 0; i < 4; ++i)
            Add("bad" + std::to_string(variants++) + ".rar",
                Rar4LargeSize(i == 0 ? 0 - std::uint64_t{54} : random(), 40, cut));
    if (const char *shared = std::getenv("ZR_SHARED_FIXTURES")) {
        std::ifstream in(std::string(shared) + "/hostile/rar4-large-size-wrap.rar", std::ios::binary);
        if (in)
            Add("shared.rar", std::string((std::istreambuf_iterator<char>(in)), {}));
    }
    const RunSummary s = RunSearch(Conditions("needle"), WorkerOptions(), sink_);
    EXPECT_FALSE(s.Failed()) << s.errorMessage;
    EXPECT_EQ(HitTexts(), kGoodHits);
    EXPECT_EQ(s.hitCount, 4);
    EXPECT_EQ(s.finalState, rsFinished);
    EXPECT_GE(static_cast<int>(sink_.skipped.size()), variants);
    EXPECT_TRUE(WorkLeftovers().empty());
}

TEST_F(WorkerRunTest, ALibraryThatAbortsSpinsOrAllocatesCostsOnlyItsArchive)
{
    AddGoodArchives();
    Add("m.cab", std::string("MSCF\0\0\0\0", 8) + std::string(100, '\0'));
    for (const std::string fault : {"abort", "spin", "allocate"}) {
        SCOPED_TRACE(fault);
        UseStandInCabinetLibrary(fault);
        sink_ = RecordingSink();
        const RunSummary s = RunSearch(Conditions("needle"), WorkerOptions(), sink_);
        EXPECT_FALSE(s.Failed()) << s.errorMessage;
        EXPECT_EQ(HitTexts(), kGoodHits);
        ASSERT_EQ(sink_.skipped.size(), 1u);
        EXPECT_EQ(sink_.skipped[0].path, tree_ / "m.cab");
        EXPECT_EQ(sink_.skipped[0].reason, SkipReason::WorkerFailed);
        EXPECT_EQ(s.failedArchives.size(), 1u);
        EXPECT_EQ(s.finalState, rsFinished);
        EXPECT_TRUE(WorkLeftovers().empty());
    }
}

TEST_F(WorkerRunTest, WorkersGiveWhatTheRunInOneProcessGives)
{
    AddGoodArchives();
    Add("empty.lzh", "");
    Add("not.zip", "not an archive");
    // Archives of very different sizes, so that with two workers a later
    // archive often ends before an earlier one.
    Add("big.zip", ZipOf({{"big.txt", std::string(2 << 20, 'x') + "\r\nneedle big\r\n"}}));
    Add("small.zip", ZipOf({{"s.txt", "needle small\r\n"}}));
    SearchConditions c = Conditions("needle");
    RunSearch(c, Options(), sink_);
    const RecordingSink inProcess = sink_;
    for (const int workers : {1, 2, 3}) {
        SCOPED_TRACE(workers);
        sink_ = RecordingSink();
        RunOptions o = WorkerOptions();
        o.workerCount = workers;
        const RunSummary s = RunSearch(c, o, sink_);
        EXPECT_EQ(sink_.hits, inProcess.hits);
        EXPECT_EQ(sink_.started, inProcess.started);
        EXPECT_EQ(sink_.progress, inProcess.progress);
        ASSERT_EQ(sink_.skipped.size(), inProcess.skipped.size());
        for (std::size_t i = 0; i < sink_.skipped.size(); ++i) {
            EXPECT_EQ(sink_.skipped[i].path, inProcess.skipped[i].path);
            EXPECT_EQ(sink_.skipped[i].reason, inProcess.skipped[i].reason);
        }
        EXPECT_EQ(s.resultLabel, inProcess.last.resultLabel);
        EXPECT_EQ(s.viewLines, inProcess.last.viewLines);
        EXPECT_TRUE(WorkLeftovers().empty());
    }

    // A malformed pattern found in a worker ends the run as it would at home.
    sink_ = RecordingSink();
    const RunSummary bad = RunSearch(Conditions("needle("), WorkerOptions(), sink_);
    const RunSummary home = RunSearch(Conditions("needle("), Options(), sink_);
    EXPECT_TRUE(bad.Failed());
    EXPECT_EQ(bad.errorMessage, home.errorMessage);
    EXPECT_EQ(bad.patternErrorPosition, home.patternErrorPosition);
}

TEST_F(WorkerRunTest, ArchivesNamedDirectlyAreJudgedByContentInTheWorker)
{
    // One name that names no library, one that names the wrong one.
    const std::string dat = Add("given.dat", LzhOf({{"a.txt", "needle in lzh\r\n"}}));
    const std::string wrong = Add("zip-inside.lzh", ZipOf({{"b.txt", "needle in zip\r\n"}}));
    const std::string plain = Add("notes.dat", "needle, but no archive\r\n");
    const std::vector<SearchInput> inputs{{SearchInput::Kind::Archive, dat},
                                          {SearchInput::Kind::Archive, wrong},
                                          {SearchInput::Kind::Archive, plain}};
    const RunSummary s = RunSearch(Conditions("needle"), inputs, WorkerOptions(), sink_);
    EXPECT_FALSE(s.Failed()) << s.errorMessage;
    EXPECT_EQ(HitTexts(), (std::vector<std::string>{"given.dat:a.txt:1:needle in lzh",
                                                    "zip-inside.lzh:b.txt:1:needle in zip"}));
    ASSERT_EQ(sink_.skipped.size(), 1u);
    EXPECT_EQ(sink_.skipped[0].path, plain);
    EXPECT_EQ(sink_.skipped[0].reason, SkipReason::NotAnArchive);
}

TEST_F(WorkerRunTest, AStopDuringARunOfTwoWorkersKeepsTheHitsInRunOrderUpToIt)
{
    for (int i = 0; i < 8; ++i)
        Add("a" + std::to_string(i) + ".zip", ZipOf({{"t.txt", "needle " + std::to_string(i) + "\r\n"}}));
    for (const int stopAt : {0, 3}) {
        SCOPED_TRACE(stopAt);
        sink_ = RecordingSink();
        std::stop_source stop;
        sink_.onStarted = [&](int index) {
            if (index == stopAt)
                stop.request_stop();
        };
        RunOptions o = WorkerOptions();
        o.workerCount = 2;
        const RunSummary s = RunSearch(Conditions("needle"), o, sink_, stop.get_token());
        EXPECT_TRUE(s.stopped);
        // Nothing after the archive the stop came in, and the hits before it
        // in run order: each archive's one line, archive by archive, up to
        // the line whose arrival announced the archive the stop came in.
        ASSERT_EQ(sink_.started.size(), static_cast<std::size_t>(stopAt + 1));
        ASSERT_EQ(sink_.hits.size(), static_cast<std::size_t>(stopAt + 1));
        for (std::size_t i = 0; i < sink_.hits.size(); ++i)
            EXPECT_EQ(sink_.hits[i].ArchivePath, sink_.started[i]);
        EXPECT_TRUE(WorkLeftovers().empty());
    }
}

TEST_F(WorkerRunTest, AStoredFilePastTheBudgetIsSkippedAloneAndTheRestIsSearched)
{
    Add("a.lzh", LzhOf({{"small.txt", "needle small\r\n"},
                        {"huge.txt", "needle huge\r\n" + std::string(200 * 1024, 'x')},
                        {"after.txt", "needle after\r\n"}}));
    RunOptions o = WorkerOptions();
    o.workerLimits->storedFileBytes = 64 * 1024;
    const RunSummary s = RunSearch(Conditions("needle"), o, sink_);
    EXPECT_FALSE(s.Failed()) << s.errorMessage;
    EXPECT_EQ(HitTexts(),
              (std::vector<std::string>{"a.lzh:small.txt:1:needle small", "a.lzh:after.txt:1:needle after"}));
    ASSERT_EQ(sink_.skipped.size(), 1u);
    EXPECT_EQ(sink_.skipped[0].reason, SkipReason::EntryTooLarge);
    EXPECT_TRUE(s.failedArchives.empty());
    EXPECT_TRUE(WorkLeftovers().empty());
}

}  // namespace
}  // namespace zr::search::test
