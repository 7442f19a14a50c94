// Work folders of killed zrgrep runs are removed at the next start; nothing
// else below the temporary folder is touched.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

#include "search/stale_work_folders.h"
#include "search/work_folder.h"
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

std::string OwnerOf(const std::string &work)
{
    std::ifstream in(work + "/~OWNER");
    std::string pid;
    in >> pid;
    return pid;
}

// The window's "~GREP(": left behind by a killed window it is removed at the
// next start; a live window's folder and its files stay.
TEST(StaleWorkFoldersTest, TheWindowClaimsItsFolderOnlyFromAnEndedOwner)
{
    zr::test::ScratchFolder base;
    RunSettings settings;
    settings.workPath = base.Path();
    const std::string work = base / "~GREP(";

    base.Write("~GREP(/~OWNER", std::to_string(EndedPid()) + "\n");
    base.Write("~GREP(/~EXTRACT/a.txt", "left by a killed window");
    base.Write("~GREP(/viewed.txt", "left by a killed window");
    EXPECT_EQ(ClaimWorkFolder(settings), work);
    EXPECT_FALSE(std::filesystem::exists(work + "/~EXTRACT"));
    EXPECT_FALSE(std::filesystem::exists(work + "/viewed.txt"));
    EXPECT_EQ(OwnerOf(work), std::to_string(::getpid()));

    // Claimed again by its own process (a second window): nothing goes.
    base.Write("~GREP(/viewed.txt", "in use");
    EXPECT_EQ(ClaimWorkFolder(settings), work);
    EXPECT_TRUE(std::filesystem::exists(work + "/viewed.txt"));

    // Another live process owns it: kept with its owner.
    base.Write("~GREP(/~OWNER", std::to_string(::getppid()) + "\n");
    EXPECT_EQ(ClaimWorkFolder(settings), work);
    EXPECT_TRUE(std::filesystem::exists(work + "/viewed.txt"));
    EXPECT_EQ(OwnerOf(work), std::to_string(::getppid()));

    // No owner noted: left by a window that never said, so stale.
    std::filesystem::remove(work + "/~OWNER");
    EXPECT_EQ(ClaimWorkFolder(settings), work);
    EXPECT_FALSE(std::filesystem::exists(work + "/viewed.txt"));
}

}  // namespace
}  // namespace zr::search::test
