// Work folders of killed zrgrep runs are removed at the next start; nothing
// else below the temporary folder is touched.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
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

// The window's "~GREP(": left behind by a killed window it is emptied at the
// next start; a folder a live window holds is never touched, and a second
// window gets a folder of its own.
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
    EXPECT_TRUE(IsWorkFolderInUse(work));

    // Asked again by its own process (the run, the view): the same folder, nothing goes.
    base.Write("~GREP(/viewed.txt", "in use");
    EXPECT_EQ(ClaimWorkFolder(settings), work);
    EXPECT_EQ(GetWorkFolder(settings), work);
    EXPECT_TRUE(std::filesystem::exists(work + "/viewed.txt"));
}

TEST(StaleWorkFoldersTest, TwoWindowsOfDifferentSettingsNeverShareOrDeleteEachOthersFolder)
{
    zr::test::ScratchFolder base;
    RunSettings settings;
    settings.workPath = base.Path();
    int ready[2], release[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(release), 0);
    const pid_t other = ::fork();
    ASSERT_NE(other, -1);
    if (other == 0) {  // the first window
        const std::string mine = ClaimWorkFolder(settings);
        std::ofstream(mine + "/viewed.txt") << "the first window's file";
        char c = 0;
        (void)!::write(ready[1], "1", 1);
        (void)!::read(release[0], &c, 1);
        _exit(mine == base / "~GREP(" ? 0 : 1);
    }
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);

    const std::string second = ClaimWorkFolder(settings);
    EXPECT_EQ(second, base / "~GREP(2");
    EXPECT_TRUE(IsWorkFolderInUse(base / "~GREP("));
    EXPECT_TRUE(std::filesystem::exists(base / "~GREP(/viewed.txt")) << "the live window's files stay";
    EXPECT_EQ(RemoveStaleWorkFolders(base.Path()), 0);
    EXPECT_TRUE(std::filesystem::exists(base / "~GREP(/viewed.txt"));

    // The second window closes first: its folder goes, the first one's stays.
    std::filesystem::remove_all(second);
    EXPECT_TRUE(std::filesystem::exists(base / "~GREP(/viewed.txt"));

    ASSERT_EQ(::write(release[1], "1", 1), 1);
    int status = 0;
    ASSERT_EQ(::waitpid(other, &status, 0), other);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_FALSE(IsWorkFolderInUse(base / "~GREP(")) << "the lock ends with its process";
    for (int fd : {ready[0], ready[1], release[0], release[1]})
        ::close(fd);
}

TEST(StaleWorkFoldersTest, AWorkFolderThatCannotBeMadeIsNamedWithTheReason)
{
    zr::test::ScratchFolder base;
    // A folder whose path leaves no room for the work folder's name.
    std::string deep = base.Path();
    while (deep.size() + 201 < 4090)
        std::filesystem::create_directory(deep += "/" + std::string(200, 'd'));
    std::filesystem::create_directory(deep +=
                                      "/" + std::string(std::max<std::size_t>(1, 4089 - deep.size()), 'e'));
    RunSettings settings;
    settings.workPath = deep;
    try {
        ClaimWorkFolder(settings);
        FAIL() << "no error";
    } catch (const std::exception &e) {
        const std::string message = e.what();
        EXPECT_NE(message.find(deep + "/~GREP("), std::string::npos) << message;
        EXPECT_NE(message.find(std::strerror(ENAMETOOLONG)), std::string::npos) << message;
    }
}

}  // namespace
}  // namespace zr::search::test
