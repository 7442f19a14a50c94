// The search's extra export: the same extraction, with files offered as
// bytes first. What is offered plus what is written must be exactly what
// the plain command writes, whatever the taker answers.
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "archiver_test_support.h"
#include "test_archive_writers.h"

namespace zr::archivers::test {
namespace {

struct Taker {
    std::function<int(const std::string &)> answer = [](const std::string &) { return ZR_ARC_TAKEN; };
    std::map<std::string, std::string> offered;  // relative path -> bytes
    std::vector<std::string> order;

    static int Take(void *user, const char *path, const char *data, uint64_t size)
    {
        auto &self = *static_cast<Taker *>(user);
        self.offered[path] = std::string(data, size);
        self.order.push_back(path);
        return self.answer(path);
    }
};

int ExtractToMemory(const ArchiverLibrary &library, const std::string &commandLine, uint64_t limit,
                    Taker &taker)
{
    const auto fn = library.fn<ZrArcExtractToMemoryFn>("ExtractToMemory");
    if (!fn)
        return -1;
    char output[4096] = {};
    return fn(nullptr, commandLine.c_str(), output, sizeof output, limit, &Taker::Take, &taker);
}

struct Format {
    const char *label, *library, *prefix, *switches;
    std::string bytes;
};

std::vector<Format> Formats(const std::vector<Member> &members)
{
    return {
        {"zip", "libUnzip32.so", "UnZip", "-x -o", MakeStoredZip(members)},
        {"lzh", "libUnlha32.so", "Unlha", "x -m1c -n", MakeStoredLha2(members)},
        {"tar", "libTar32.so", "Tar", "-x -f", MakeUstar(members)},
        {"cab", "libcab32.so", "Cab", "-x -o", MakeStoredCab(members)},
    };
}

std::string Command(const Format &f, const fs::path &archive, const fs::path &dest)
{
    return std::string(f.switches) + " " + Quote(archive.string()) + " " + Quote(dest.string() + "/");
}

fs::path WriteArchive(const TempDir &dir, const Format &f)
{
    const fs::path archive = dir.path() / (std::string("a.") + f.label);
    WriteFile(archive, f.bytes);
    return archive;
}

const std::vector<Member> kMembers = {{"a.txt", "alpha\n"},
                                      {"docs/b.txt", "beta\n"},
                                      {"docs/deep/c.txt", std::string(5000, 'c')},
                                      {"d.txt", ""}};

TEST(ExtractToMemory, OfferedAndWrittenTogetherAreWhatThePlainCommandWrites)
{
    for (const Format &f : Formats(kMembers)) {
        SCOPED_TRACE(f.label);
        TempDir dir;
        const fs::path archive = WriteArchive(dir, f);
        ArchiverLibrary library(f.library, f.prefix);
        ASSERT_TRUE(library.loaded());
        fs::create_directories(dir.path() / "plain");
        ASSERT_EQ(library.command(Command(f, archive, dir.path() / "plain")), 0);
        const auto expected = FilesBelow(dir.path() / "plain");

        // Everything taken: nothing but folders on disk, every file offered in archive order.
        Taker all;
        fs::create_directories(dir.path() / "memory");
        ASSERT_EQ(ExtractToMemory(library, Command(f, archive, dir.path() / "memory"), 1 << 20, all), 0);
        EXPECT_EQ(all.offered, expected);
        EXPECT_TRUE(FilesBelow(dir.path() / "memory").empty());
        EXPECT_EQ(all.order, (std::vector<std::string>{"a.txt", "docs/b.txt", "docs/deep/c.txt", "d.txt"}));

        // Declined files and files over the limit are written, whole.
        Taker some;
        some.answer = [](const std::string &path) { return path == "a.txt" ? ZR_ARC_WRITE : ZR_ARC_TAKEN; };
        fs::create_directories(dir.path() / "mixed");
        ASSERT_EQ(ExtractToMemory(library, Command(f, archive, dir.path() / "mixed"), 4096, some), 0);
        auto together = FilesBelow(dir.path() / "mixed");
        EXPECT_EQ(together.count("docs/deep/c.txt"), 1u);  // 5000 bytes: never offered
        EXPECT_EQ(some.offered.count("docs/deep/c.txt"), 0u);
        for (const auto &[path, bytes] : some.offered)
            if (path != "a.txt")
                together[path] = bytes;
        EXPECT_EQ(together, expected);
    }
}

TEST(ExtractToMemory, ATakerThatCancelsStopsTheCommand)
{
    for (const Format &f : Formats(kMembers)) {
        SCOPED_TRACE(f.label);
        TempDir dir;
        const fs::path archive = WriteArchive(dir, f);
        ArchiverLibrary library(f.library, f.prefix);
        Taker cancelling;
        cancelling.answer = [](const std::string &) { return ZR_ARC_CANCEL; };
        fs::create_directories(dir.path() / "out");
        EXPECT_EQ(ExtractToMemory(library, Command(f, archive, dir.path() / "out"), 1 << 20, cancelling),
                  ZR_ARC_E_CANCELLED);
        EXPECT_EQ(cancelling.order.size(), 1u);
        EXPECT_TRUE(FilesBelow(dir.path() / "out").empty());
    }
}

// A file whose size is not known in advance (a lone .gz) and that grows
// past the limit is written as it comes, never cut.
TEST(ExtractToMemory, AFileOutgrowingTheLimitIsWrittenWhole)
{
    TempDir dir;
    ArchiverLibrary library("libTar32.so", "Tar");
    const std::string archive = FixturePath("repeat.txt.gz");
    Taker taker;
    fs::create_directories(dir.path() / "plain");
    fs::create_directories(dir.path() / "memory");
    ASSERT_EQ(library.command("-x -f " + Quote(archive) + " " + Quote((dir.path() / "plain").string() + "/")),
              0);
    const auto expected = FilesBelow(dir.path() / "plain");
    ASSERT_EQ(expected.size(), 1u);
    ASSERT_GT(expected.begin()->second.size(), 1000u);
    const std::string command =
        "-x -f " + Quote(archive) + " " + Quote((dir.path() / "memory").string() + "/");
    ASSERT_EQ(ExtractToMemory(library, command, 1000, taker), 0);
    EXPECT_TRUE(taker.offered.empty());
    EXPECT_EQ(FilesBelow(dir.path() / "memory"), expected);
}

// Held bytes obey the process's file-size limit as written ones do.
TEST(ExtractToMemory, TheFileSizeLimitStillSkipsALargeEntry)
{
    const std::vector<Member> members = {
        {"first.txt", "first"}, {"big.bin", std::string(300 * 1024, 'b')}, {"last.txt", "last"}};
    TempDir dir;
    const fs::path archive = dir.path() / "limited.zip";
    WriteFile(archive, MakeStoredZip(members));
    const fs::path dest = dir.path() / "dest";
    fs::create_directories(dest);
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit l{64 * 1024, 64 * 1024};
        ::setrlimit(RLIMIT_FSIZE, &l);
        ArchiverLibrary library("libUnzip32.so", "UnZip");
        Taker taker;
        const int result = ExtractToMemory(
            library, "-x -o " + Quote(archive.string()) + " " + Quote(dest.string() + "/"), 1 << 20, taker);
        const bool right =
            result == ZR_ARC_E_TOO_LARGE && taker.order == std::vector<std::string>{"first.txt", "last.txt"};
        _exit(right ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_TRUE(FilesBelow(dest).empty());
}

}  // namespace
}  // namespace zr::archivers::test
