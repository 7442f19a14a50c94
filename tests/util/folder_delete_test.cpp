#include "util/cap_guard.h"
#include "util/file_queries.h"
#include "util/folder_delete.h"
#include "test_support/scratch_folder.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

using namespace zr;
using zr::test::ScratchFolder;

namespace {
std::string ReadAll(const std::string &path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool Exists(const std::string &path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}
}  // namespace

TEST(DeleteFolderTree, MissingFolderIsDone)
{
    ScratchFolder dir;
    EXPECT_TRUE(DeleteFolderTree(dir / "missing", true));
    EXPECT_TRUE(DeleteFileOrFolder(dir / "missing"));
}

TEST(DeleteFolderTree, NeverFollowsLinksOutOfTheTree)
{
    ScratchFolder dir;
    const std::string outsideFile = dir.Write("outside/keep.txt", "precious");
    const std::string tree = dir.MakeFolder("tree");
    dir.Write("tree/a.txt", "a");
    dir.Write("tree/.dot/b.txt", "b");
    dir.Write("tree/sub/deeper/c.txt", "c");
    ASSERT_EQ(::symlink((dir / "outside").c_str(), (tree + "/sub/to-outside").c_str()), 0);
    ASSERT_EQ(::symlink(outsideFile.c_str(), (tree + "/file-link").c_str()), 0);
    ASSERT_EQ(::symlink((tree + "/sub").c_str(), (tree + "/inner-link").c_str()), 0);
    ::chmod((tree + "/a.txt").c_str(), 0444);
    ::chmod((tree + "/sub/deeper").c_str(), 0555);  // read-only folder

    EXPECT_TRUE(DeleteFolderTree(tree + "/", true));
    EXPECT_FALSE(Exists(tree));
    EXPECT_EQ(ReadAll(outsideFile), "precious");
    EXPECT_TRUE(FolderExists(dir / "outside"));
}

TEST(DeleteFolderTree, WithoutSelfEmptiesTheFolder)
{
    ScratchFolder dir;
    const std::string tree = dir.MakeFolder("work");
    dir.Write("work/x/y.txt", "y");
    EXPECT_TRUE(DeleteFolderTree(tree, false));
    EXPECT_TRUE(FolderExists(tree));
    EXPECT_FALSE(Exists(tree + "/x"));
}

TEST(DeleteFolderTree, LinkAsTheFolderItselfRemovesOnlyTheLink)
{
    ScratchFolder dir;
    const std::string kept = dir.Write("real/kept.txt", "k");
    const std::string link = dir / "link";
    ASSERT_EQ(::symlink((dir / "real").c_str(), link.c_str()), 0);

    EXPECT_FALSE(DeleteFolderTree(link, false));
    EXPECT_TRUE(Exists(kept));
    EXPECT_TRUE(DeleteFolderTree(link, true));
    EXPECT_FALSE(Exists(link));
    EXPECT_TRUE(Exists(kept));
}

TEST(DeleteFolderTree, FolderThatCannotBeRemovedGivesFalse)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to hand a folder to another user";
    ScratchFolder dir;
    const std::string tree = dir.MakeFolder("tree");
    const std::string locked = dir.MakeFolder("tree/locked");
    const std::string stuck = dir.Write("tree/locked/stuck.txt", "s");
    dir.Write("tree/other.txt", "o");
    if (::chown(locked.c_str(), 65534, 65534) != 0)
        GTEST_SKIP() << "cannot hand a folder to another user here";
    ::chmod(locked.c_str(), 0555);
    {
        zr::test::ScopedPermissionChecks checks;
        if (!checks.Active())
            GTEST_SKIP() << "cannot lower capabilities";
        EXPECT_FALSE(DeleteFolderTree(tree, true));
    }
    EXPECT_TRUE(Exists(stuck));
    EXPECT_FALSE(Exists(tree + "/other.txt"));  // files elsewhere are still deleted
    EXPECT_TRUE(Exists(tree));

    // A folder that can be neither opened nor fixed is a failure, not a success.
    ::chmod(locked.c_str(), 0);
    {
        zr::test::ScopedPermissionChecks checks;
        EXPECT_FALSE(DeleteFolderTree(tree, false));
    }
    EXPECT_TRUE(Exists(stuck));
    ::chown(locked.c_str(), 0, 0);
}

TEST(DeleteFolderTree, FoldersWithoutAccessAreOpenedFirst)
{
    ScratchFolder dir;
    const std::string tree = dir.MakeFolder("tree");
    dir.Write("tree/closed/inner/a.txt", "a");
    dir.MakeFolder("tree/closed-empty");
    const std::string top = dir.Write("closed-top/b.txt", "b");
    ::chmod((tree + "/closed/inner").c_str(), 0);
    ::chmod((tree + "/closed").c_str(), 0);
    ::chmod((tree + "/closed-empty").c_str(), 0);
    ::chmod((dir / "closed-top").c_str(), 0);
    zr::test::ScopedPermissionChecks checks;
    if (!checks.Active())
        GTEST_SKIP() << "cannot make permission bits bind";
    EXPECT_TRUE(DeleteFolderTree(tree, false));
    EXPECT_TRUE(FolderExists(tree));
    EXPECT_FALSE(Exists(tree + "/closed"));
    EXPECT_FALSE(Exists(tree + "/closed-empty"));
    EXPECT_TRUE(DeleteFolderTree(dir / "closed-top", true));
    EXPECT_FALSE(Exists(dir / "closed-top"));
}

TEST(DeleteFileOrFolder, FilesLinksAndFolders)
{
    ScratchFolder dir;
    const std::string file = dir.Write("f.txt", "f");
    ::chmod(file.c_str(), 0444);
    EXPECT_TRUE(DeleteFileOrFolder(file));
    EXPECT_FALSE(Exists(file));

    const std::string dangling = dir / "dangling";
    ASSERT_EQ(::symlink((dir / "nowhere").c_str(), dangling.c_str()), 0);
    EXPECT_TRUE(DeleteFileOrFolder(dangling));
    EXPECT_FALSE(Exists(dangling));

    const std::string folder = dir.MakeFolder("~GREP(");
    dir.Write("~GREP(/~EXTRACT/a.txt", "a");
    EXPECT_TRUE(DeleteFileOrFolder(folder));
    EXPECT_FALSE(Exists(folder));
}
