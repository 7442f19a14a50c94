// Archives and stored files that could not be searched (a password, damage,
// a failed extraction) are named in the run's events, its summary and the
// result view, while everything intact around them is still searched.

#include <algorithm>

#include "search/run_texts.h"
#include "search_test_support.h"

namespace zr::search::test {
namespace {

std::string BinDir()
{
    const char *dir = std::getenv("ZR_BIN_DIR");
    return dir ? dir : ".";
}

class SkipReportTest : public SearchTreeTest {
protected:
    void AddFixture(const std::string &name)
    {
        Add(name, zr::testing::ReadFileBytes(SourceDir() + "/tests/search/fixtures/" + name));
    }

    void AddLockedAndDamaged()
    {
        for (const char *name :
             {"zipcrypto.zip", "zip-aes.zip", "data-locked.7z", "header-locked.7z", "damaged.zip"})
            AddFixture(name);
        Add("plain.lzh", LzhOf({{"plain.txt", "plain needle\r\n"}}));
    }

    RunSummary RunWith(bool workers)
    {
        RunOptions o = Options();
        if (workers) {
            o.useWorkers = true;
            o.workerProgram = BinDir() + "/zrworker";
        }
        sink_ = RecordingSink();
        return RunSearch(Conditions("needle"), o, sink_, {});
    }

    std::vector<std::string> HitFiles() const
    {
        std::vector<std::string> files;
        for (const THitRecord &hit : sink_.hits)
            files.push_back(std::filesystem::path(hit.ArchivePath).filename().string() + "{" +
                            hit.StoredName + "}");
        std::sort(files.begin(), files.end());
        return files;
    }

    UnsearchedArchive Entry(const std::string &name, std::vector<std::string> stored) const
    {
        return {tree_ / name, std::move(stored)};
    }

    static std::vector<UnsearchedArchive> Sorted(std::vector<UnsearchedArchive> list)
    {
        std::sort(list.begin(), list.end(), [](const auto &a, const auto &b) { return a.path < b.path; });
        return list;
    }
};

TEST_F(SkipReportTest, LockedAndDamagedArchivesAreNamedAndTheirIntactFilesSearched)
{
    AddLockedAndDamaged();
    for (const bool workers : {false, true}) {
        SCOPED_TRACE(workers ? "workers" : "in process");
        const RunSummary s = RunWith(workers);
        ASSERT_FALSE(s.Failed()) << s.errorMessage;
        EXPECT_EQ(HitFiles(), (std::vector<std::string>{"damaged.zip{intact.txt}", "plain.lzh{plain.txt}",
                                                        "zipcrypto.zip{open.txt}"}));
        // Traditional and AES ZIP, 7z with locked data: by stored file; 7z
        // with locked names: the archive as a whole.
        EXPECT_EQ(Sorted(s.passwordArchives),
                  (std::vector<UnsearchedArchive>{
                      Entry("data-locked.7z", {"locked.txt"}), Entry("header-locked.7z", {}),
                      Entry("zip-aes.zip", {"locked.txt"}), Entry("zipcrypto.zip", {"locked.txt"})}));
        // A damaged stored file is named with the reader's reason.
        ASSERT_EQ(s.damagedArchives.size(), 1u);
        EXPECT_EQ(s.damagedArchives[0].path, Entry("damaged.zip", {}).path);
        ASSERT_EQ(s.damagedArchives[0].storedNames.size(), 1u);
        EXPECT_TRUE(s.damagedArchives[0].storedNames[0].starts_with("broken.txt ("));
        EXPECT_TRUE(s.unextractedArchives.empty());
        EXPECT_TRUE(s.failedArchives.empty());
        // The run itself went well: the label counts the hits.
        EXPECT_EQ(s.resultLabel, HitsFoundLabel(3, 3, 3));

        const auto &view = s.viewLines;
        const auto at = [&view](const std::string &line) {
            return std::find(view.begin(), view.end(), line);
        };
        ASSERT_NE(at("パスワード付きのため検索できなかった書庫： 4 件"), view.end());
        EXPECT_NE(at("  header-locked.7z"), view.end());
        EXPECT_NE(at("  zip-aes.zip ⇒ locked.txt"), view.end());
        EXPECT_EQ(view.end() - at("壊れているため検索できなかった書庫： 1 件"), 2);
        EXPECT_TRUE(view.back().starts_with("  damaged.zip ⇒ broken.txt (")) << view.back();
        EXPECT_TRUE(WorkLeftovers().empty());
    }
}

TEST_F(SkipReportTest, AnArchiveWithOnlyLockedFilesGivesNoHitsButIsNamed)
{
    AddFixture("zip-aes.zip");
    const RunSummary s = RunWith(false);
    EXPECT_EQ(s.hitCount, 0);
    EXPECT_EQ(s.resultLabel, NoHitLabel(false));
    EXPECT_FALSE(s.Failed());
    ASSERT_EQ(sink_.skipped.size(), 1u);
    EXPECT_EQ(sink_.skipped[0].reason, SkipReason::PasswordProtected);
    EXPECT_EQ(s.passwordArchives.size(), 1u);
}

TEST_F(SkipReportTest, ListOnlyRunsNameStoredFilesWithoutJudgingThem)
{
    // Nothing is extracted, so a password stops nothing.
    AddFixture("zipcrypto.zip");
    SearchConditions c = Conditions("");
    const RunSummary s = RunSearch(c, Options(), sink_, {});
    EXPECT_EQ(s.hitCount, 2);
    EXPECT_TRUE(s.passwordArchives.empty());
}

TEST(UnsearchedArchivesLinesTest, ShowTheFirstArchivesAndStoredFilesAndHowManyMore)
{
    RunSummary s;
    for (int i = 1; i <= 7; ++i)
        s.damagedArchives.push_back({"/data/d" + std::to_string(i) + ".zip", {}});
    s.damagedArchives[0].storedNames = {"a.txt", "b.txt", "c.txt", "d.txt", "e.txt"};
    s.unextractedArchives.push_back({"/data/sub/full.lzh", {"big.txt"}});
    EXPECT_EQ(UnsearchedArchivesLines(s, "/data"),
              (std::vector<std::string>{
                  "壊れているため検索できなかった書庫： 7 件", "  d1.zip ⇒ a.txt, b.txt, c.txt ほか 2 件",
                  "  d2.zip", "  d3.zip", "  d4.zip", "  d5.zip", "  ほか 2 件",
                  "展開に失敗したため検索できなかった書庫： 1 件", "  sub/full.lzh ⇒ big.txt"}));
    EXPECT_TRUE(UnsearchedArchivesLines(RunSummary{}, "/data").empty());
}

}  // namespace
}  // namespace zr::search::test

namespace zr::search {
namespace {

TEST(DamageDetailTest, TheReasonComesApartFromANameThatHoldsBracketsItself)
{
    EXPECT_EQ(DamageDetail("a (1).txt", "CRC error"), "a (1).txt (CRC error)");
    const DamageParts named = SplitDamageDetail(DamageDetail("a (1).txt", "CRC error"));
    EXPECT_EQ(named.storedName, "a (1).txt");
    EXPECT_EQ(named.reason, "CRC error");
    const DamageParts whole = SplitDamageDetail(DamageDetail({}, "truncated (at 12)"));
    EXPECT_EQ(whole.storedName, "");
    EXPECT_EQ(whole.reason, "truncated (at 12)");
    EXPECT_EQ(SplitDamageDetail("plain.txt").storedName, "plain.txt");
}

}  // namespace
}  // namespace zr::search
