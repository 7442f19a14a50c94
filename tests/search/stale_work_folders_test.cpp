// Work folders of killed zrgrep runs are removed at the next start; nothing
// else below the temporary folder is touched.
#include <gtest/gtest.h>

#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

#include "search/stale_work_folders.h"
#include "test_support/scratch_folder.h"

namespace zr::search::test {
namespace {

// The id of a process that has ended (and been reaped).
pid_t EndedPid()
{
    const pid_t child = ::fork();
    if (child == 0)
        _exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

TEST(StaleWorkFoldersTest, OnlyFoldersOfEndedRunsGo)
{
    zr::test::ScratchFolder temp;
    const std::string dead = "zrgrep-" + std::to_string(EndedPid()) + "-a1B2c3";
    const std::string live = "zrgrep-" + std::to_string(::getppid()) + "-live00";
    const std::string self = "zrgrep-" + std::to_string(::getpid()) + "-self00";
    temp.Write(dead + "/~EXTRACT/x.txt", "left behind");
    temp.Write(dead + "/~WORKERS/worker0/y.txt", "left behind");
    temp.MakeFolder(live);
    temp.MakeFolder(self);
    temp.MakeFolder("zrgrep-notapid-x");
    temp.MakeFolder("other-123-x");
    temp.Write("zrgrep-" + std::to_string(EndedPid()) + "-file", "a file, not a folder");
    // A link named like a dead run's folder, pointing at something to keep.
    const std::string keep = temp.Write("keep/important.txt", "keep");
    std::filesystem::create_directory_symlink(temp / "keep",
                                              temp / ("zrgrep-" + std::to_string(EndedPid()) + "-link"));

    EXPECT_EQ(RemoveStaleWorkFolders(temp.Path()), 1);
    EXPECT_FALSE(std::filesystem::exists(temp / dead));
    for (const std::string &kept : {live, self, std::string("zrgrep-notapid-x"), std::string("other-123-x")})
        EXPECT_TRUE(std::filesystem::is_directory(temp / kept)) << kept;
    EXPECT_TRUE(std::filesystem::exists(keep));
    EXPECT_EQ(RemoveStaleWorkFolders(temp.Path()), 0);
    EXPECT_EQ(RemoveStaleWorkFolders(temp / "missing"), 0);
}

}  // namespace
}  // namespace zr::search::test
