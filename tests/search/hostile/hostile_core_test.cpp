// The search core over a folder it may only partly read: the run walks past
// what it cannot open and searches the rest.

#include <sys/stat.h>

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
    EXPECT_TRUE(WorkLeftovers().empty());
}

}  // namespace
}  // namespace zr::search::test
