// Extracting one stored file for viewing, in this process and in a worker:
// it lands flat in the work folder's viewed-files folder, a later file of the
// same name replaces it, names are taken literally, the failures are told
// apart, and a worker's fault costs the view only.
#include <filesystem>

#include "search/view_extraction.h"
#include "search_test_support.h"

namespace zr::search::test {
namespace {

std::string BinDir()
{
    const char *dir = std::getenv("ZR_BIN_DIR");
    return dir ? dir : ".";
}

class ViewExtractionTest : public SearchTreeTest, public ::testing::WithParamInterface<bool> {
protected:
    bool InWorker() const { return GetParam(); }

    ViewExtractResult View(const std::string &archive, const std::string &stored, std::stop_token stop = {})
    {
        if (!InWorker())
            return ExtractForView(archive, stored, work_, settings_, stop);
        worker::WorkerLimits limits;
        limits.stallSeconds = 5;
        return ExtractForViewInWorker(archive, stored, work_, settings_, BinDir() + "/zrworker", limits,
                                      stop);
    }

    RunSettings settings_;
};

TEST_P(ViewExtractionTest, StoredFileLandsFlatInTheViewedFolderAndALaterOneReplacesIt)
{
    const std::string first =
        Add("a.zip", ZipOf({{"docs/readme.txt", "first\n"}, {"docs/other.txt", "x\n"}}));
    const std::string second = Add("b.lzh", LzhOf({{"misc\\readme.txt", "second\n"}}));
    testing::WriteFileBytes(work_ + "/keep.txt", "left alone\n");  // the work folder is not emptied

    ViewExtractResult r = View(first, "docs/readme.txt");
    ASSERT_EQ(r.status, ViewExtractStatus::Extracted) << r.detail;
    EXPECT_EQ(r.file, work_ + "/~VIEWED/readme.txt");
    EXPECT_EQ(testing::ReadFileBytes(r.file), "first\n");
    EXPECT_FALSE(std::filesystem::exists(work_ + "/~VIEWED/docs"));
    EXPECT_FALSE(std::filesystem::exists(work_ + "/~VIEWED/other.txt"));

    r = View(second, "misc\\readme.txt");
    ASSERT_EQ(r.status, ViewExtractStatus::Extracted) << r.detail;
    EXPECT_EQ(r.file, work_ + "/~VIEWED/readme.txt");
    EXPECT_EQ(testing::ReadFileBytes(r.file), "second\n");
    // Nothing but the viewed file is added (no worker folder, no list).
    std::vector<std::string> left = WorkLeftovers();
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"keep.txt", "~VIEWED/readme.txt"}));
}

// Stored names are names, not patterns or commands: one holding the work
// folder's own file name, wildcard characters or double quotes gives exactly
// that entry, and nothing else is written.
TEST_P(ViewExtractionTest, StoredNamesAreTakenLiterally)
{
    testing::WriteFileBytes(work_ + "/~OWNER", "the window's own\n");
    const std::string zip = Add("g.zip", ZipOf({{"docs/~OWNER", "stored\n"},
                                                {"dir/*.txt", "literal star\n"},
                                                {"dir/a.txt", "matched by the star\n"},
                                                {"dir/b.txt", "b\n"},
                                                {"q\"x y\".txt", "quoted\n"}}));
    ViewExtractResult r = View(zip, "docs/~OWNER");
    ASSERT_EQ(r.status, ViewExtractStatus::Extracted) << r.detail;
    EXPECT_EQ(testing::ReadFileBytes(r.file), "stored\n");
    EXPECT_EQ(testing::ReadFileBytes(work_ + "/~OWNER"), "the window's own\n");

    r = View(zip, "dir/*.txt");
    ASSERT_EQ(r.status, ViewExtractStatus::Extracted) << r.detail;
    EXPECT_EQ(r.file, work_ + "/~VIEWED/*.txt");
    EXPECT_EQ(testing::ReadFileBytes(r.file), "literal star\n");

    EXPECT_EQ(View(zip, "dir/?.txt").status, ViewExtractStatus::NotFound) << "no wildcard match";

    r = View(zip, "q\"x y\".txt");
    ASSERT_EQ(r.status, ViewExtractStatus::Extracted) << r.detail;
    EXPECT_EQ(testing::ReadFileBytes(r.file), "quoted\n");

    std::vector<std::string> left = WorkLeftovers();
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"~OWNER", "~VIEWED/*.txt", "~VIEWED/q\"x y\".txt",
                                              "~VIEWED/~OWNER"}));
}

TEST_P(ViewExtractionTest, NamesWithBlanksAreFound)
{
    const std::string zip = Add("c.zip", ZipOf({{"my docs/read me.txt", "blank\n"}, {"read", "no\n"}}));
    const ViewExtractResult r = View(zip, "my docs/read me.txt");
    ASSERT_EQ(r.status, ViewExtractStatus::Extracted) << r.detail;
    EXPECT_EQ(testing::ReadFileBytes(work_ + "/~VIEWED/read me.txt"), "blank\n");
}

TEST_P(ViewExtractionTest, FailuresAreToldApart)
{
    const std::string zip = Add("d.zip", ZipOf({{"a.txt", "a\n"}}));
    EXPECT_EQ(View(zip, "gone.txt").status, ViewExtractStatus::NotFound);
    EXPECT_EQ(View(Add("e.zip", "no archive at all"), "a.txt").status, ViewExtractStatus::NotAnArchive);
    // The archive vanished since the run.
    std::filesystem::remove(zip);
    const ViewExtractStatus vanished = View(zip, "a.txt").status;
    EXPECT_TRUE(vanished == ViewExtractStatus::NotAnArchive || vanished == ViewExtractStatus::NotFound);
    // A folder stands where the file would go: the extraction cannot put it there.
    const std::string blocked = Add("f.zip", ZipOf({{"sub/dir.txt", "d\n"}}));
    std::filesystem::create_directories(work_ + "/~VIEWED/dir.txt");
    EXPECT_EQ(View(blocked, "sub/dir.txt").status, ViewExtractStatus::Failed);
}

INSTANTIATE_TEST_SUITE_P(InProcessAndWorker, ViewExtractionTest, ::testing::Values(false, true),
                         [](const auto &info) { return info.param ? "Worker" : "InProcess"; });

TEST(ViewExtractionWorker, AWorkerThatCannotStartFailsTheViewWithItsReason)
{
    zr::test::ScratchFolder work;
    const ViewExtractResult r = ExtractForViewInWorker("/nonexistent.zip", "a.txt", work.Path(),
                                                       RunSettings(), work / "no-such-worker", {});
    EXPECT_EQ(r.status, ViewExtractStatus::Failed);
    EXPECT_FALSE(r.detail.empty());
}

TEST(ViewExtractionWorker, TargetIsTheLastElementOfEitherSeparator)
{
    EXPECT_EQ(ViewTargetPath("/w", "docs/readme.txt"), "/w/~VIEWED/readme.txt");
    EXPECT_EQ(ViewTargetPath("/w/", "a\\b\\c.txt"), "/w/~VIEWED/c.txt");
    EXPECT_EQ(ViewTargetPath("/w", "plain.txt"), "/w/~VIEWED/plain.txt");
}

}  // namespace
}  // namespace zr::search::test
