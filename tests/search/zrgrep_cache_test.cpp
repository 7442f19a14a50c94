// zrgrep fills the user's cache (here a private one), leaves it alone with
// --no-cache, empties it with --clear-cache, and searches on without it,
// saying so once, when the folder cannot be written.

#include <algorithm>

#include "archive_builders.h"
#include "zrgrep_program_test.h"

namespace zr::search::test {
namespace {

namespace fs = std::filesystem;

class ZrGrepCacheTest : public ZrGrepProgramTest {
protected:
    std::size_t Packs() const
    {
        const std::string folder = scratch_ / "cache/zurivo";
        std::size_t n = 0;
        if (fs::exists(folder))
            for (const auto &e : fs::directory_iterator(folder))
                n += e.path().extension() == ".zrp";
        return n;
    }
};

TEST_F(ZrGrepCacheTest, TheOptionsSkipFillAndEmptyTheCache)
{
    tree_.Write("a.zip", ZipOf({{"in.txt", "one needle\n"}}));
    tree_.Write("b.tar", TarOf({{"b.txt", "two needle\n"}}));
    ASSERT_EQ(Run({"--no-cache", "needle", tree_.Path()}), 0) << err_;
    const std::string plain = out_;
    EXPECT_EQ(Packs(), 0u);
    ASSERT_EQ(Run({"needle", tree_.Path()}), 0) << err_;
    EXPECT_EQ(Packs(), 2u);
    ASSERT_EQ(Run({"needle", tree_.Path()}), 0) << err_;
    EXPECT_EQ(out_, plain);
    EXPECT_EQ(Run({"--clear-cache"}), 0) << err_;
    EXPECT_EQ(out_, "");
    EXPECT_EQ(Packs(), 0u);
}

TEST_F(ZrGrepCacheTest, AFolderThatCannotBeMadeIsNamedOnceAndTheSearchGoesOn)
{
    tree_.Write("a.zip", ZipOf({{"in.txt", "one needle\n"}}));
    tree_.Write("b.zip", ZipOf({{"in.txt", "two needle\n"}}));
    std::FILE *f = std::fopen((scratch_ / "cache").c_str(), "w");  // a file where the folder goes
    std::fclose(f);
    ASSERT_EQ(Run({"needle", tree_.Path()}), 0) << err_;
    EXPECT_EQ(std::count(out_.begin(), out_.end(), '\n'), 2);
    const std::string notice = "the cache is off for this run";
    const auto at = err_.find(notice);
    ASSERT_NE(at, std::string::npos) << err_;
    EXPECT_EQ(err_.find(notice, at + 1), std::string::npos) << "said once";
}

}  // namespace
}  // namespace zr::search::test
