// Under a file-size limit (what a search worker runs with), an entry larger
// than the limit is skipped with its own code and the other entries of the
// archive are still extracted; the limit never ends the extracting process.
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "archiver_test_support.h"
#include "test_archive_writers.h"

namespace zr::archivers::test {
namespace {

// Runs the extraction in a child with the limit, and returns its result code.
int ExtractUnderLimit(const std::string &library, const std::string &prefix, const std::string &switches,
                      const std::string &archive, const std::string &dest, rlim_t limit)
{
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit l{limit, limit};
        ::setrlimit(RLIMIT_FSIZE, &l);
        ArchiverLibrary lib(library, prefix);
        const int result = lib.command(switches + " " + Quote(archive) + " " + Quote(dest + "/"));
        _exit(result == ZR_ARC_E_TOO_LARGE ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

TEST(SizeLimitTest, AnEntryPastTheFileSizeLimitIsSkippedAndTheOthersArrive)
{
    const std::vector<Member> members = {
        {"first.txt", "first"}, {"big.bin", std::string(300 * 1024, 'b')}, {"last.txt", "last"}};
    const struct {
        const char *label, *library, *prefix, *switches;
        std::string bytes;
    } formats[] = {
        {"zip", "libUnzip32.so", "UnZip", "-x -o", MakeStoredZip(members)},
        {"lzh", "libUnlha32.so", "Unlha", "x -m1c -n", MakeStoredLha0(members)},
        {"tar", "libTar32.so", "Tar", "-x -f", MakeUstar(members)},
    };
    for (const auto &f : formats) {
        TempDir dir;
        const fs::path archive = dir.path() / (std::string("limited.") + f.label);
        WriteFile(archive, f.bytes);
        const fs::path dest = dir.path() / "dest";
        fs::create_directories(dest);
        EXPECT_EQ(
            ExtractUnderLimit(f.library, f.prefix, f.switches, archive.string(), dest.string(), 64 * 1024), 0)
            << f.label;
        EXPECT_EQ(FilesBelow(dest),
                  (std::map<std::string, std::string>{{"first.txt", "first"}, {"last.txt", "last"}}))
            << f.label;
    }
}

}  // namespace
}  // namespace zr::archivers::test
