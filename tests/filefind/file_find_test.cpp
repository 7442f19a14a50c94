#include "filefind/file_find.h"
#include "util/cap_guard.h"
#include "test_support/scratch_folder.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace zr;
using zr::test::ScratchFolder;
using List = std::vector<std::string>;

namespace {
// root/ with files, nested folders, a dot folder, links and a pipe.
class FinderTree : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir.Write("root/b.zip", "b");
        dir.Write("root/a.ZIP", "a needle");
        dir.Write("root/.hidden.zip", "h");
        dir.Write("root/c.txt", "c");
        dir.Write("root/sub2/x.zip", "x");
        dir.Write("root/sub1/y.zip", "y needle");
        dir.Write("root/sub1/deep/z.zip", "z");
        dir.Write("root/.dot/w.zip", "w");
        ASSERT_EQ(::symlink((dir / "root/sub1").c_str(), (dir / "root/link").c_str()), 0);
        ASSERT_EQ(::symlink((dir / "root/c.txt").c_str(), (dir / "root/linkfile.zip").c_str()), 0);
        ASSERT_EQ(::mkfifo((dir / "root/pipe.zip").c_str(), 0600), 0);
        root = dir / "root";
    }

    List Find(const std::string &patterns, bool recursive = true)
    {
        finder.SetStartDir(root);
        finder.SetFilePattern(patterns);
        finder.Recursive = recursive;
        finder.Execute();
        return finder.FilesFound();
    }

    std::string At(const std::string &relative) const { return root + "/" + relative; }

    ScratchFolder dir;
    std::string root;
    TFileFind finder;
};
}  // namespace

TEST_F(FinderTree, EntriesSortedBeforeSubFoldersAndDotRules)
{
    char before[4096];
    ASSERT_NE(::getcwd(before, sizeof before), nullptr);
    EXPECT_EQ(Find("*.zip"), (List{At(".hidden.zip"), At("a.ZIP"), At("b.zip"), At("linkfile.zip"),
                                   At("sub1/y.zip"), At("sub1/deep/z.zip"), At("sub2/x.zip")}));
    char after[4096];
    ASSERT_NE(::getcwd(after, sizeof after), nullptr);
    EXPECT_STREQ(before, after);
    EXPECT_TRUE(finder.Skipped().empty());
}

TEST_F(FinderTree, PatternsReportInTurn)
{
    EXPECT_EQ(Find("*.txt;;y.*;"), (List{At("c.txt"), At("sub1/y.zip")}));
    EXPECT_EQ(finder.FilePattern(), "*.txt;y.*");
    EXPECT_EQ(Find("b.zip;B.ZIP"), (List{At("b.zip"), At("b.zip")}));  // reported once per pattern
    EXPECT_EQ(Find("*.zip", false), (List{At(".hidden.zip"), At("a.ZIP"), At("b.zip"), At("linkfile.zip")}));
}

TEST_F(FinderTree, AddDirReportsFoldersAmongTheirSiblings)
{
    finder.AddDir = true;
    EXPECT_EQ(Find("*", false), (List{At(".dot"), At(".hidden.zip"), At("a.ZIP"), At("b.zip"), At("c.txt"),
                                      At("link"), At("linkfile.zip"), At("sub1"), At("sub2")}));
    const List all = Find("sub*");
    EXPECT_EQ(all, (List{At("sub1"), At("sub2")}));
}

TEST_F(FinderTree, StartFoldersAndTheirErrors)
{
    finder.SetStartDir(dir / "root/sub2/;/;");
    EXPECT_EQ(finder.StartDir(), dir / "root/sub2;/");

    finder.SetStartDir(At("sub2") + "/;" + dir / "missing");
    finder.SetFilePattern("*.zip");
    EXPECT_THROW(finder.Execute(), EFileFindChDir);
    EXPECT_EQ(finder.FilesFound(), List{At("sub2/x.zip")});  // the earlier start folder's hits stay
}

TEST_F(FinderTree, HandlerSeesFolderAndNameAndCanStop)
{
    List seen;
    finder.OnFileFind = [&](TFileFind &, const std::string &folder, const std::string &name, bool &done) {
        seen.push_back(folder + "|" + name);
        done = seen.size() == 2;
    };
    EXPECT_EQ(Find("*.zip;*.txt"), List{At(".hidden.zip")});
    EXPECT_EQ(seen, (List{root + "/|.hidden.zip", root + "/|a.ZIP"}));
}

TEST_F(FinderTree, MatchStringKeepsFilesHoldingIt)
{
    finder.MatchEnabled = true;
    finder.MatchString = "NEEDLE";
    EXPECT_EQ(Find("*.zip"), (List{At("a.ZIP"), At("sub1/y.zip")}));
    finder.MatchCaseSensitive = true;
    EXPECT_EQ(Find("*.zip"), List{});
}

TEST_F(FinderTree, UnreadableSubFolderIsSkippedAndListed)
{
    ::chmod(At("sub1").c_str(), 0);
    zr::test::ScopedPermissionChecks checks;
    if (!checks.Active())
        GTEST_SKIP() << "cannot make permission bits bind for root";
    EXPECT_EQ(Find("*.zip"),
              (List{At(".hidden.zip"), At("a.ZIP"), At("b.zip"), At("linkfile.zip"), At("sub2/x.zip")}));
    ASSERT_EQ(finder.Skipped().size(), 1u);
    EXPECT_EQ(finder.Skipped()[0].path, At("sub1"));
    EXPECT_EQ(finder.Skipped()[0].error, EACCES);
}

TEST_F(FinderTree, UnreadableFileIsSkippedByTheContentFilter)
{
    ::chmod(At("a.ZIP").c_str(), 0);
    zr::test::ScopedPermissionChecks checks;
    if (!checks.Active())
        GTEST_SKIP() << "cannot make permission bits bind for root";
    finder.MatchEnabled = true;
    finder.MatchString = "needle";
    EXPECT_EQ(Find("*.zip"), List{At("sub1/y.zip")});
    ASSERT_EQ(finder.Skipped().size(), 1u);
    EXPECT_EQ(finder.Skipped()[0].path, At("a.ZIP"));
}

TEST(FileFindSamples, FindsRealArchivesInAReadOnlyFolder)
{
    const char *shared = std::getenv("ZR_SHARED_FIXTURES");
    // The finder reports normalised paths ("a/../b" as "b"), so expect the same.
    const std::string samples =
        std::filesystem::path(std::string(shared ? shared : "") + "/libarchive-samples")
            .lexically_normal()
            .string();
    if (shared == nullptr || ::access(samples.c_str(), R_OK) != 0)
        GTEST_SKIP() << "no shared samples at " << samples;
    // The sample set may grow: expect what the folder holds, not a fixed count.
    List cabinets, cp932;
    for (const auto &entry : std::filesystem::directory_iterator(samples)) {
        std::string name = entry.path().filename().string();
        std::string lower = name;
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](unsigned char c) { return std::tolower(c); });
        if (entry.is_regular_file() && lower.size() > 4 && lower.compare(lower.size() - 4, 4, ".cab") == 0)
            cabinets.push_back(samples + "/" + name);
        if (entry.is_regular_file() && name.find("_cp932.") != std::string::npos)
            cp932.push_back(samples + "/" + name);
    }
    std::sort(cabinets.begin(), cabinets.end());
    std::sort(cp932.begin(), cp932.end());
    ASSERT_FALSE(cabinets.empty());
    ASSERT_FALSE(cp932.empty());

    TFileFind finder;
    finder.Recursive = false;
    finder.SetStartDir(samples);
    finder.SetFilePattern("*.CAB;*_cp932.*");
    finder.Execute();
    // The cabinets in name order, then the CP932 samples.
    List expected = cabinets;
    expected.insert(expected.end(), cp932.begin(), cp932.end());
    EXPECT_EQ(finder.FilesFound(), expected);
}
