// A run over several places: folders walked for archives and archive files
// searched as themselves, in the given order, as one run.

#include "search/archive_set_file.h"
#include "search/search_inputs.h"
#include "search_test_support.h"
#include "util/message_texts.h"

namespace zr::search::test {
namespace {

using Kind = SearchInput::Kind;

class SearchInputsTest : public SearchTreeTest {
protected:
    RunSummary RunOver(const SearchConditions &c, const std::vector<SearchInput> &inputs)
    {
        return RunSearch(c, inputs, Options(), sink_);
    }
    std::vector<std::string> HitArchives() const
    {
        std::vector<std::string> archives;
        for (const THitRecord &hit : sink_.hits)
            archives.push_back(hit.ArchivePath);
        return archives;
    }
};

TEST_F(SearchInputsTest, PathsAreFoldersArchivesOrRefusedWithTheDesignedTexts)
{
    const std::string folder = tree_.MakeFolder("docs");
    const std::string file = Add("data.dat", ZipOf({{"a.txt", "x\n"}}));
    const SearchConditions c = Conditions("x");
    EXPECT_EQ(JudgePath(folder, c).input, (SearchInput{Kind::Folder, folder}));
    EXPECT_EQ(JudgePath(file, c).input, (SearchInput{Kind::Archive, file}));

    // A missing archive-like name gets the file text, anything else the folder text.
    EXPECT_EQ(JudgePath(tree_ / "many.ZIP", c).refusal, FileMissingText(tree_ / "many.ZIP"));
    EXPECT_EQ(JudgePath(tree_ / "gone", c).refusal, FolderMissingText(tree_ / "gone"));
    EXPECT_EQ(JudgePath(file + "/below", c).refusal, FolderMissingText(file + "/below"));
    EXPECT_FALSE(JudgePath("", c).input);

    // A named archive must be in each folder given, as the window checks it.
    SearchConditions named = c;
    named.archiveName = "other.zip";
    EXPECT_EQ(JudgePath(folder, named).refusal, FileMissingText("other.zip"));
    EXPECT_TRUE(JudgePath(file, named).input);  // an archive file is itself
}

TEST_F(SearchInputsTest, InputsAreSearchedInTheGivenOrderAsOneRun)
{
    const std::string first = Add("one/a.zip", ZipOf({{"a.txt", "needle a\n"}}));
    Add("one/skip.txt", "needle in no archive\n");
    const std::string second = Add("two/b.zip", ZipOf({{"b.txt", "needle b\nneedle b2\n"}}));
    // Named like no archive, holding a ZIP and a tar: judged by content.
    const std::string zipDat = Add("given.dat", ZipOf({{"c.txt", "needle c\n"}}));
    const std::string tarBin = Add("given.bin", TarOf({{"d.txt", "needle d\n"}}));
    const std::string plain = Add("notes.txt", "needle in plain text\n");

    SearchConditions c = Conditions("needle");
    c.allTypes = false;
    c.lha = true;  // the type switches pick names in folders only
    c.zip = true;
    const RunSummary summary = RunOver(c, {{Kind::Folder, tree_ / "two"},
                                           {Kind::Archive, zipDat},
                                           {Kind::Archive, plain},
                                           {Kind::Folder, tree_ / "one"},
                                           {Kind::Archive, tarBin}});
    EXPECT_EQ(HitArchives(), (std::vector<std::string>{second, second, zipDat, first, tarBin}));
    EXPECT_EQ(sink_.started, (std::vector<std::string>{second, zipDat, plain, first, tarBin}));
    ASSERT_EQ(sink_.skipped.size(), 1u);
    EXPECT_EQ(sink_.skipped[0].path, plain);
    EXPECT_EQ(sink_.skipped[0].reason, SkipReason::NotAnArchive);
    EXPECT_EQ(summary.candidateCount, 5);
    EXPECT_EQ(summary.hitCount, 5);
    EXPECT_EQ(summary.archiveCount, 4);
    EXPECT_EQ(sink_.finished, 1);
    // The result view names every place, archives in full.
    EXPECT_NE(summary.viewLines.at(1).find(tree_ / "two " + zipDat), std::string::npos)
        << summary.viewLines[1];
    // Progress lines show archives in full once there is more than one place.
    EXPECT_EQ(sink_.progress.front(), second + " ⇒ b.txt ⇒ 2行");
}

TEST_F(SearchInputsTest, TheFolderSearchStillJudgesArchivesByName)
{
    // A ZIP named ".zip.bak" in a folder is no candidate; named directly it is searched.
    const std::string backup = Add("old.zip.bak", ZipOf({{"a.txt", "needle\n"}}));
    SearchConditions c = Conditions("needle");
    c.archiveName = "*.bak";
    RunOver(c, {{Kind::Folder, tree_.Path()}});
    EXPECT_TRUE(sink_.hits.empty());
    EXPECT_EQ(sink_.skipped.at(0).reason, SkipReason::NotAnArchive);
    sink_ = RecordingSink();
    RunOver(c, {{Kind::Archive, backup}});
    EXPECT_EQ(HitArchives(), (std::vector<std::string>{backup}));
}

TEST(ArchiveListTest, OnePathPerLineInEitherLineEnding)
{
    EXPECT_EQ(ParseArchiveList("/a.zip\r\n/b c.lzh\n\n/d.tar\r\n\r\n/e.zip"),
              (std::vector<std::string>{"/a.zip", "/b c.lzh", "/d.tar", "/e.zip"}));
    // Blanks and a lone CR inside a line are part of the path.
    EXPECT_EQ(ParseArchiveList(" /a.zip \n/b\rc.zip\n"), (std::vector<std::string>{" /a.zip ", "/b\rc.zip"}));
    EXPECT_TRUE(ParseArchiveList("").empty());
    EXPECT_TRUE(ParseArchiveList("\n\r\n").empty());
}

}  // namespace
}  // namespace zr::search::test
