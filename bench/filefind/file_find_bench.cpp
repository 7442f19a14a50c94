// The finder against a plain std::filesystem walk over the same generated
// tree (the cost of sorting, pattern rules and absolute paths), and the
// content matcher on a large file.

#include "filefind/file_find.h"
#include "filefind/match.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// 20 folders x 10 sub-folders x 50 files, a tenth of them archives.
class GeneratedTree {
public:
    GeneratedTree()
    {
        std::string pattern = (fs::temp_directory_path() / "zr-bench-XXXXXX").string();
        root_ = ::mkdtemp(pattern.data());
        for (int a = 0; a < 20; ++a) {
            for (int b = 0; b < 10; ++b) {
                const fs::path folder = root_ / ("dir" + std::to_string(a)) / ("sub" + std::to_string(b));
                fs::create_directories(folder);
                for (int f = 0; f < 50; ++f) {
                    const char *ext = f % 10 == 0 ? ".lzh" : (f % 10 == 1 ? ".zip" : ".txt");
                    std::ofstream(folder / ("file" + std::to_string(f) + ext)) << "x";
                }
            }
        }
        bigFile_ = root_ / "big.txt";
        std::ofstream big(bigFile_);
        const std::string line(99, 'a');
        for (int i = 0; i < 100000; ++i)
            big << line << '\n';
    }
    ~GeneratedTree() { fs::remove_all(root_); }

    std::string Root() const { return root_.string(); }
    std::string BigFile() const { return bigFile_.string(); }

private:
    fs::path root_;
    fs::path bigFile_;
};

const GeneratedTree &Tree()
{
    static const GeneratedTree tree;
    return tree;
}

void BM_FileFindArchives(benchmark::State &state)
{
    zr::TFileFind finder;
    finder.SetStartDir(Tree().Root());
    finder.SetFilePattern("*.LZH;*.ZIP");
    for (auto _ : state) {
        finder.Execute();
        benchmark::DoNotOptimize(finder.FilesFound().size());
    }
    state.counters["found"] = static_cast<double>(finder.FilesFound().size());
}
BENCHMARK(BM_FileFindArchives)->Unit(benchmark::kMillisecond);

// The "all types" search: twenty archive-name patterns over the same tree.
void BM_FileFindAllTypes(benchmark::State &state)
{
    zr::TFileFind finder;
    finder.SetStartDir(Tree().Root());
    finder.SetFilePattern("*.LZH;*.ZIP;*.CAB;*.TAR;*.TGZ;*.TAZ;*.GZ;*.Z;*.BZ2;*.XZ;*.TXZ;*.ZST;*.TZST;*.LZ4;"
                          "*.LZ;*.TLZ;*.LZMA;*.ARJ;*.RAR;*.7Z");
    for (auto _ : state) {
        finder.Execute();
        benchmark::DoNotOptimize(finder.FilesFound().size());
    }
    state.counters["found"] = static_cast<double>(finder.FilesFound().size());
}
BENCHMARK(BM_FileFindAllTypes)->Unit(benchmark::kMillisecond);

// The peer: one unsorted pass with a plain extension test.
void BM_FilesystemWalkPeer(benchmark::State &state)
{
    std::size_t found = 0;
    for (auto _ : state) {
        found = 0;
        for (const auto &entry : fs::recursive_directory_iterator(Tree().Root())) {
            const auto ext = entry.path().extension();
            if (entry.is_regular_file() && (ext == ".lzh" || ext == ".zip"))
                ++found;
        }
        benchmark::DoNotOptimize(found);
    }
    state.counters["found"] = static_cast<double>(found);
}
BENCHMARK(BM_FilesystemWalkPeer)->Unit(benchmark::kMillisecond);

void BM_MatchLargeFileNoHit(benchmark::State &state)
{
    zr::TMatch match;
    match.SourceIsFile = true;
    match.SetSource(Tree().BigFile());
    match.SetPattern("needle*x");
    for (auto _ : state)
        benchmark::DoNotOptimize(match.Execute());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 100 * 100000);
}
BENCHMARK(BM_MatchLargeFileNoHit)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
