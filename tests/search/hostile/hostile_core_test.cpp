// The search core over a folder it may only partly read, or that changes
// under it: the run passes what it cannot read and searches the rest.

#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "../search_test_support.h"
#include "util/cap_guard.h"

namespace zr::search::test {
namespace {

class HostileCoreTest : public SearchTreeTest {};

TEST_F(HostileCoreTest, AnUnreadableSubFolderIsPassedAndTheRestSearched)
{
    Add("open/a.zip", ZipOf({{"a.txt", "needle\n"}}));
    Add("locked/b.zip", ZipOf({{"b.txt", "needle\n"}}));
    Add("c.zip", ZipOf({{"c.txt", "needle\n"}}));
    ASSERT_EQ(::chmod((tree_ / "locked").c_str(), 0), 0);
    zr::test::ScopedPermissionChecks checks;
    if (!checks.Active())
        GTEST_SKIP() << "permission bits cannot be made to bind here";

    const RunSummary s = Run(Conditions("needle"));
    EXPECT_FALSE(s.Failed()) << s.errorMessage;
    std::vector<std::string> archives;
    for (const THitRecord &hit : sink_.hits)
        archives.push_back(hit.ArchivePath);
    EXPECT_EQ(archives, (std::vector<std::string>{tree_ / "c.zip", tree_ / "open/a.zip"}));
    EXPECT_EQ(s.finalState, rsFinished);
    // Named once, though each archive-name pattern walks the tree again.
    EXPECT_EQ(s.unreadableFolders,
              std::vector<std::string>{tree_ / "locked" + ": アクセスが許可されていません"});
    ASSERT_GE(s.viewLines.size(), 2u);
    EXPECT_EQ(s.viewLines[s.viewLines.size() - 2], "読めなかったフォルダ： 1 件");
    EXPECT_EQ(s.viewLines.back(), "  " + tree_ / "locked" + ": アクセスが許可されていません");
    EXPECT_TRUE(WorkLeftovers().empty());
}

// Archives that change under the run: one vanishes after the walk found it,
// one grows (a download still being written) as its search starts. The run
// ends normally, with the hits of what could be read.
TEST_F(HostileCoreTest, ArchivesThatVanishOrGrowDuringTheRunCostOnlyThemselves)
{
    const std::string first = Add("a.zip", ZipOf({{"a.txt", "needle\n"}}));
    const std::string growing = Add("b.zip", ZipOf({{"b.txt", "needle\n"}}));
    const std::string vanishing = Add("c.zip", ZipOf({{"c.txt", "needle\n"}}));
    Add("d.zip", ZipOf({{"d.txt", "needle\n"}}));
    sink_.onStarted = [&](int index) {
        if (index == 0)
            std::filesystem::remove(vanishing);
        if (index == 1)
            std::ofstream(growing, std::ios::binary | std::ios::app) << std::string(70000, 'x');
    };

    const RunSummary s = Run(Conditions("needle"));
    EXPECT_FALSE(s.Failed()) << s.errorMessage;
    EXPECT_EQ(s.finalState, rsFinished);
    std::vector<std::string> archives;
    for (const THitRecord &hit : sink_.hits)
        archives.push_back(hit.ArchivePath);
    // Trailing bytes after a ZIP's end record do not hide its entries.
    EXPECT_EQ(archives, (std::vector<std::string>{first, growing, tree_ / "d.zip"}));
    EXPECT_TRUE(WorkLeftovers().empty());
}

}  // namespace
}  // namespace zr::search::test
