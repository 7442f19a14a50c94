// A stop in worker mode keeps what the worker found before it, as a run in
// one process does: the lines of the entry being scanned included, and the
// result label says the run was cut short.
#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "search/run_texts.h"
#include "search_test_support.h"

namespace zr::search::test {
namespace {

std::string BinDir()
{
    const char *dir = std::getenv("ZR_BIN_DIR");
    return dir ? dir : ".";
}

// One gzip member; members one after another are one gzip stream.
std::string GzipMember(const std::string &bytes)
{
    z_stream z{};
    deflateInit2(&z, 1, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&z, static_cast<uLong>(bytes.size())), '\0');
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(bytes.data()));
    z.avail_in = static_cast<uInt>(bytes.size());
    z.next_out = reinterpret_cast<Bytef *>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

std::string TarHeader(const std::string &name, std::uint64_t size)
{
    std::string h(512, '\0');
    h.replace(0, name.size(), name);
    std::snprintf(&h[100], 8, "%07o", 0644);
    std::snprintf(&h[108], 8, "%07o", 0);
    std::snprintf(&h[116], 8, "%07o", 0);
    std::snprintf(&h[124], 12, "%011llo", static_cast<unsigned long long>(size));
    std::snprintf(&h[136], 12, "%011o", 0);
    h[156] = '0';
    h.replace(257, 6, std::string("ustar\0", 6));
    h.replace(263, 2, "00");
    h.replace(148, 8, "        ");
    unsigned sum = 0;
    for (const char c : h)
        sum += static_cast<unsigned char>(c);
    std::snprintf(&h[148], 8, "%06o", sum);
    return h;
}

class WorkerStopTest : public SearchTreeTest {
protected:
    ~WorkerStopTest() override { archive::SetLibraryFolder(""); }

    RunOptions WorkerOptions() const
    {
        RunOptions o = Options();
        o.useWorkers = true;
        o.workerProgram = BinDir() + "/zrworker";
        o.workerCount = 1;
        worker::WorkerLimits limits;
        limits.stallSeconds = 30;
        limits.memoryBytes = std::uint64_t{1} << 30;
        limits.storedFileBytes = std::uint64_t{1} << 40;
        o.workerLimits = limits;
        return o;
    }
};

// A .tar.gz of a small file with one hit and a 4 GB text whose first lines
// hit: written as gzip members (the filler's member repeated), so the file
// stays small while its decompression takes seconds.
std::string TarGzWithEndlessEntry(int bigHits)
{
    std::string head = "needle first\n";
    std::string tarStart = TarHeader("first.txt", head.size()) + head;
    tarStart.resize((tarStart.size() + 511) / 512 * 512, '\0');
    std::string bigStart;
    for (int i = 0; i < bigHits; ++i)
        bigStart += "needle " + std::to_string(i) + "\n";
    std::string fillerLine(99, 'x');
    fillerLine += '\n';
    std::string filler;
    while (filler.size() < (1u << 20))
        filler += fillerLine;
    const int fillerCount = 4000;
    const std::uint64_t bigSize = bigStart.size() + std::uint64_t{filler.size()} * fillerCount;
    std::string out = GzipMember(tarStart + TarHeader("big.txt", bigSize) + bigStart);
    const std::string fillerMember = GzipMember(filler);
    for (int i = 0; i < fillerCount; ++i)
        out += fillerMember;
    const std::size_t padding = (512 - bigSize % 512) % 512;
    out += GzipMember(std::string(padding + 1024, '\0'));
    return out;
}

TEST_F(WorkerStopTest, AStopInsideABigEntryKeepsItsLinesFoundBeforeTheStop)
{
    const int bigHits = 1000;
    Add("a.tar.gz", TarGzWithEndlessEntry(bigHits));
    std::stop_source stop;
    // The first hit (the small file's) arrives while the worker is in the big
    // entry, whose hit lines sit in its first block.
    sink_.onStarted = [&](int) { stop.request_stop(); };
    const RunSummary s = RunSearch(Conditions("needle"), WorkerOptions(), sink_, stop.get_token());
    EXPECT_FALSE(s.Failed()) << s.errorMessage;
    EXPECT_TRUE(s.stopped);
    ASSERT_EQ(sink_.hits.size(), static_cast<std::size_t>(bigHits + 1));
    EXPECT_EQ(sink_.hits[0].StoredName, "first.txt");
    for (int i = 0; i < bigHits; ++i) {
        const THitRecord &hit = sink_.hits[static_cast<std::size_t>(i + 1)];
        EXPECT_EQ(hit.StoredName, "big.txt");
        EXPECT_EQ(hit.LineNo, i + 1);
    }
    EXPECT_EQ(s.hitCount, bigHits + 1);
    EXPECT_EQ(s.resultLabel, HitsFoundLabel(bigHits + 1, 1, 2, true));
    EXPECT_NE(s.resultLabel.find("（中断）"), std::string::npos);
    EXPECT_TRUE(WorkLeftovers().empty());
}

}  // namespace
}  // namespace zr::search::test
