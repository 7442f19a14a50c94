// Damaged copies of every format (bytes flipped at fixed pseudo-random
// places, headers included) must fail cleanly: no crash, no file outside
// the destination, no leftover temporary file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "archiver_test_support.h"
#include "test_archive_writers.h"

namespace zr::archivers::test {
namespace {

struct Target {
    const char *library;
    const char *prefix;
    const char *switches;
    std::string bytes;
};

std::vector<Target> Targets()
{
    const std::vector<Member> members = {{"d\\a.txt", HelloText()}, {"b.txt", NumbersText()}};
    return {
        {"libUnlha32.so", "Unlha", "x -m1c -jc1", ReadFile(FixturePath("sample-h1.lzh"))},
        {"libUnlha32.so", "Unlha", "x -m1c", ReadFile(FixturePath("sample-h2.lzh"))},
        {"libcab32.so", "Cab", "-x -o", ReadFile(FixturePath("mszip.cab"))},
        {"libcab32.so", "Cab", "-x -o", MakeLzxCab(members)},
        {"libUnzip32.so", "UnZip", "-x -o", ReadFile(FixturePath("sample.zip"))},
        {"libTar32.so", "Tar", "-x -f", ReadFile(FixturePath("sample.tar"))},
        {"libunrar32.so", "Unrar", "-x -o", MakeRar4(members)},
        {"libunrar32.so", "Unrar", "-x -o", MakeRar5(members)},
        {"libUnarj32j.so", "Unarj", "x -jyo", ReadFile(FixturePath("method3.arj"))},
    };
}

TEST(MutationTest, DamagedArchivesFailCleanly)
{
    std::mt19937 rng(20261207);
    // $ZR_MUTATION_ROUNDS raises the count for a longer local run.
    const char *extra = std::getenv("ZR_MUTATION_ROUNDS");
    const int rounds = extra ? std::atoi(extra) : 25;
    for (const Target &t : Targets()) {
        ArchiverLibrary lib(t.library, t.prefix);
        ASSERT_TRUE(lib.loaded());
        for (int round = 0; round < rounds; ++round) {
            std::string bytes = t.bytes;
            // Headers sit near the start and the end: damage there more often.
            const std::size_t span = round % 2 ? bytes.size() : std::min<std::size_t>(bytes.size(), 512);
            for (int flips = 1 + static_cast<int>(rng() % 4); flips > 0; --flips) {
                std::size_t at = rng() % span;
                if (round % 3 == 2)
                    at = bytes.size() - 1 - at;
                bytes[at] = static_cast<char>(rng());
            }
            TempDir dir;
            const auto archive = dir.path() / "damaged.bin";
            WriteFile(archive, bytes);
            const fs::path dest = dir.path() / "dest";
            fs::create_directories(dest);
            lib.check(archive.string(), 3);
            lib.count(archive.string());
            lib.list(archive.string());
            lib.command(std::string(t.switches) + " " + Quote(archive.string()) + " " + Quote(dest.string() + "/"));
            for (const auto &e : fs::recursive_directory_iterator(dir.path())) {
                const std::string rel = fs::relative(e.path(), dir.path()).string();
                EXPECT_TRUE(rel == "damaged.bin" || rel.rfind("dest", 0) == 0) << t.prefix << " " << rel;
                EXPECT_EQ(e.path().filename().string().find(".zr-"), std::string::npos) << rel;
            }
        }
    }
}

}  // namespace
}  // namespace zr::archivers::test
