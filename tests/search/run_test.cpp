// Whole runs over archives written by the tests, with the real archiver
// libraries.

#include <atomic>
#include <cerrno>
#include <cstring>
#include <thread>
#include <unistd.h>

#include "search/file_scanner.h"
#include "search/run_texts.h"
#include "search/work_folder.h"
#include "util/settings_store.h"
#include "search_test_support.h"

namespace zr::search::test {
namespace {

// What "すべての書庫" looks for: every archive type and the documents.
const std::string kEveryType = std::string(kAllArchiveTypes) + ";" + kDocumentTypes;

class SearchRunTest : public SearchTreeTest {};

TEST_F(SearchRunTest, DesignedExampleGivesTwoRecordsOneProgressLineAndTheLabel)
{
    Add("x.lzh", LzhOf({{"docs/a.txt", "abc one\r\nnothing\r\nxabcx two\r\n"}, {"b.txt", "no match\r\n"}}));
    SearchConditions c = Conditions("abc");
    c.storedFiles = "*.txt";
    const RunSummary s = Run(c);

    EXPECT_EQ(sink_.found, 1);
    EXPECT_EQ(sink_.foundLabel, "1件の書庫が検索対象です.");
    ASSERT_EQ(sink_.hits.size(), 2u);
    const std::string archive = tree_ / "x.lzh";
    // The library gives stored names with "/" between folders.
    EXPECT_EQ(sink_.hits[0], (THitRecord{archive, "docs/a.txt", 1, "abc one"}));
    EXPECT_EQ(sink_.hits[1], (THitRecord{archive, "docs/a.txt", 3, "xabcx two"}));
    EXPECT_EQ(sink_.progress, (std::vector<std::string>{"x.lzh ⇒ a.txt ⇒ 2行"}));
    EXPECT_EQ(s.resultLabel, "2 行 見つかりました。  書庫数： 1 件  格納数：1 件");
    EXPECT_EQ(s.viewLines, ConditionLines("abc", tree_.Path(), kEveryType, "*.txt"));
    EXPECT_EQ(s.hitCount, 2);
    EXPECT_FALSE(s.beep || s.stopped || s.Failed());
    EXPECT_EQ(s.finalState, rsFinished);
    EXPECT_EQ(sink_.finished, 1);
    EXPECT_TRUE(WorkLeftovers().empty());
}

// 7z (each coder, solid or not, stored, behind a stub) and the newer tar
// compressions under every extension they come with: found by the default
// all-types pattern and searched with the same hit rules as the others.
TEST_F(SearchRunTest, SevenZipAndTheNewerTarCompressionsAreSearchedLikeTheRest)
{
    const std::string fixtures = SourceDir() + "/tests/archivers/fixtures/";
    const std::pair<const char *, const char *> copies[] = {
        {"sample.7z", "a.7z"},
        {"lzma.7z", "b.7Z"},
        {"ppmd.7z", "c.7z"},
        {"bcj.7z", "d.7z"},
        {"nonsolid.7z", "e.7z"},
        {"stored.7z", "f.7z"},
        {"sample.tar.xz", "g.tar.xz"},
        {"sample.tar.xz", "h.txz"},
        {"sample.tar.zst", "i.tar.zst"},
        {"sample.tar.zst", "j.tzst"},
        {"sample.tar.lz4", "k.tar.lz4"},
        {"sample.tar.lz", "l.tar.lz"},
        {"sample.tar.lz", "m.tlz"},
    };
    for (const auto &[from, to] : copies)
        Add(to, zr::testing::ReadFileBytes(fixtures + from));
    Add("n.exe", "MZ" + std::string(3000, '\0') + zr::testing::ReadFileBytes(fixtures + "sample.7z"));
    SearchConditions c = Conditions("ZuRivo!");
    c.storedFiles = "*.txt";
    c.sfx = true;
    const RunSummary s = Run(c);
    EXPECT_EQ(sink_.found, 14);
    ASSERT_EQ(sink_.hits.size(), 14u) << s.resultLabel;
    for (const THitRecord &hit : sink_.hits) {
        EXPECT_EQ(hit.StoredName, "hello.txt") << hit.ArchivePath;
        EXPECT_EQ(hit.LineNo, 1) << hit.ArchivePath;
        EXPECT_EQ(hit.LineText, "Hello, ZuRivo!") << hit.ArchivePath;
    }
    EXPECT_TRUE(sink_.skipped.empty());
    EXPECT_TRUE(WorkLeftovers().empty());

    // The 7z switch alone picks the 7z archives only; Shift-JIS names come
    // back as their text.
    sink_ = RecordingSink{};
    c = Conditions("");
    c.allTypes = false;
    c.sevenZip = true;
    c.storedFiles = "\xE8\xA1\xA8*.txt";  // 表*.txt
    Run(c);
    EXPECT_EQ(sink_.found, 6);
    ASSERT_EQ(sink_.hits.size(), 1u);
    EXPECT_EQ(sink_.hits[0].StoredName, "\xE8\xA1\xA8\xE7\xA4\xBA.txt");
}

TEST_F(SearchRunTest, TheRunKeepsItsHitsOnlyWhenAsked)
{
    Add("a.zip", ZipOf({{"1.txt", "x\nx\n"}, {"2.txt", "x\n"}}));
    Add("b.lzh", LzhOf({{"1.txt", "x\n"}}));
    SearchRun kept(Conditions("x"), Options());
    const RunSummary withList = kept.Run(sink_);
    EXPECT_EQ(kept.Hits().Records(), sink_.hits);
    EXPECT_EQ(kept.Hits().CountFilesWithHits(), withList.fileCount);

    RunOptions counting = Options();
    counting.keepHits = false;
    SearchRun streamed(Conditions("x"), counting);
    const RunSummary withoutList = streamed.Run(sink_);
    EXPECT_TRUE(streamed.Hits().Empty());
    EXPECT_EQ(withoutList.resultLabel, withList.resultLabel);
    EXPECT_EQ(withoutList.resultLabel, "4 行 見つかりました。  書庫数： 2 件  格納数：3 件");
}

TEST_F(SearchRunTest, ListOnlyModeReportsStoredFilesWithoutExtracting)
{
    Add("a.zip", ZipOf({{"x/one.txt", "abc"}, {"two.doc", "abc"}, {"three.bin", "abc"}}));
    Add("sub/b.tar", TarOf({{"four.TXT", "abc"}}));
    int scans = 0;
    for (const char *text : {"", "*"}) {
        sink_ = RecordingSink{};
        SearchConditions c = Conditions(text);
        c.storedFiles = "*.txt;*.doc";
        RunOptions o = Options();
        o.scannerFactory = [&scans]() -> std::unique_ptr<FileScanner> {
            ++scans;
            return MakeGrepScanner();
        };
        const RunSummary s = RunSearch(c, o, sink_);
        ASSERT_EQ(sink_.hits.size(), 3u) << text;
        EXPECT_EQ(sink_.hits[0], (THitRecord{tree_ / "a.zip", "x/one.txt", 0, ""}));
        EXPECT_EQ(sink_.hits[1].StoredName, "two.doc");
        EXPECT_EQ(sink_.hits[2], (THitRecord{tree_ / "sub/b.tar", "four.TXT", 0, ""}));
        EXPECT_EQ(sink_.progress,
                  (std::vector<std::string>{"a.zip ⇒ one.txt", "a.zip ⇒ two.doc", "sub/b.tar ⇒ four.TXT"}));
        EXPECT_EQ(s.viewLines.back(), "検索した格納： *.txt *.doc");
        EXPECT_EQ(s.resultLabel, "3 行 見つかりました。  書庫数： 2 件  格納数：3 件");
    }
    EXPECT_EQ(scans, 0);

    sink_ = RecordingSink{};
    SearchConditions none = Conditions("*");
    none.storedFiles = "*.xls";
    const RunSummary s = Run(none);
    EXPECT_EQ(s.resultLabel, "指定の格納ファイルを含む書庫は見つかりませんでした。");
    EXPECT_TRUE(s.beep);
}

TEST_F(SearchRunTest, FolderEntriesAreNeverSearched)
{
    Add("t.tar", TarOf({{"dir/", ""}, {"dir/in.txt", "needle\n"}}));
    Add("z.zip", ZipOf({{"folder/", ""}, {"folder/in.txt", "needle\n"}}));
    const RunSummary s = Run(Conditions("needle"));
    ASSERT_EQ(sink_.hits.size(), 2u);
    // Each type pattern walks the tree on its own, ZIP before TAR.
    EXPECT_EQ(sink_.hits[0].StoredName, "folder/in.txt");
    EXPECT_EQ(sink_.hits[1].StoredName, "dir/in.txt");
    EXPECT_EQ(s.fileCount, 2);
    EXPECT_TRUE(WorkLeftovers().empty());
}

TEST_F(SearchRunTest, EmptyAndNonArchiveFilesAreSkippedSilently)
{
    Add("empty.zip", "");
    Add("setup.exe", "MZ this is not an archive but holds needle\n");
    Add("good.zip", ZipOf({{"in.txt", "needle\n"}}));
    SearchConditions c = Conditions("needle");
    c.sfx = true;
    const RunSummary s = Run(c);
    EXPECT_EQ(sink_.found, 3);
    ASSERT_EQ(sink_.skipped.size(), 2u);
    EXPECT_EQ(sink_.skipped[0].path, tree_ / "empty.zip");
    EXPECT_EQ(sink_.skipped[0].reason, SkipReason::EmptyFile);
    EXPECT_EQ(sink_.skipped[1].path, tree_ / "setup.exe");
    EXPECT_EQ(sink_.skipped[1].reason, SkipReason::NotAnArchive);
    EXPECT_EQ(s.hitCount, 1);
    EXPECT_FALSE(s.Failed());
}

TEST_F(SearchRunTest, NoArchiveFoundGivesItsOwnLines)
{
    Add("readme.txt", "needle");
    SearchConditions c = Conditions("(");  // malformed, but nothing is searched
    c.folder = tree_.Path() + "/";
    const RunSummary s = Run(c);
    EXPECT_EQ(sink_.found, 0);
    EXPECT_TRUE(s.noArchiveFound && s.beep);
    EXPECT_FALSE(s.Failed());
    EXPECT_EQ(s.resultLabel, "該当する書庫は見つかりませんでした。");
    EXPECT_EQ(s.viewLines, NoArchiveLines(tree_.Path(), kEveryType));
}

TEST_F(SearchRunTest, LinkedFoldersAreNamedInTheViewOrSearchedWhenFollowed)
{
    zr::test::ScratchFolder outside;
    outside.Write("b.zip", ZipOf({{"in.txt", "needle\n"}}));
    Add("a.zip", ZipOf({{"in.txt", "needle\n"}}));
    ASSERT_EQ(::symlink(outside.Path().c_str(), (tree_ / "away").c_str()), 0);
    // The run takes its settings from its options only, never from the store.
    WriteSettingInteger("Setting", "FollowLinks", 1);

    RunSummary s = Run(Conditions("needle"));
    EXPECT_EQ(s.hitCount, 1);
    EXPECT_EQ(s.linkedFoldersNotFollowed, 1);
    EXPECT_EQ(s.viewLines.back(), "リンクのため検索しなかったフォルダ： 1 件");

    RunOptions follow = Options();
    follow.settings.followLinks = true;
    s = RunSearch(Conditions("needle"), follow, sink_);
    EXPECT_EQ(s.hitCount, 2);
    EXPECT_EQ(s.linkedFoldersNotFollowed, 0);
    EXPECT_EQ(s.viewLines, ConditionLines("needle", tree_.Path(), kEveryType, "*.*"));
}

TEST_F(SearchRunTest, MalformedPatternIsReportedWhenAFileIsAboutToBeSearched)
{
    Add("a.zip", ZipOf({{"in.doc", "x\n"}}));
    SearchConditions c = Conditions("ab(c");
    c.storedFiles = "*.txt";
    RunSummary s = Run(c);  // no stored file matches: nothing to search
    EXPECT_FALSE(s.Failed());
    EXPECT_EQ(s.resultLabel, "指定の文字を含む書庫は見つかりませんでした。");

    c.storedFiles = "*.*";
    s = Run(c);
    ASSERT_TRUE(s.Failed());
    EXPECT_EQ(s.errorMessage, "右(閉じ)括弧が必要です");
    EXPECT_GT(s.patternErrorPosition, 0u);
    EXPECT_EQ(s.finalState, rsFinished);
    EXPECT_EQ(sink_.finished, 2);
    EXPECT_TRUE(WorkLeftovers().empty());
}

TEST_F(SearchRunTest, TextTheTextCodePageCannotHoldIsAClearError)
{
    Add("a.zip", ZipOf({{"in.txt", "x\n"}}));
    const RunSummary s = Run(Conditions("x😀"));
    ASSERT_TRUE(s.Failed());
    EXPECT_NE(s.errorMessage.find("Shift_JIS"), std::string::npos);
    EXPECT_TRUE(sink_.started.empty());
}

TEST_F(SearchRunTest, UnusableWorkFolderEndsTheRunWithTheDesignedMessage)
{
    Add("a.zip", ZipOf({{"in.txt", "x\n"}}));
    // A file where the extraction folder should be.
    tree_.Write("../" + std::filesystem::path(scratch_.Path()).filename().string() + "/work/~EXTRACT", "");
    const RunSummary s = Run(Conditions("x"));
    ASSERT_TRUE(s.Failed());
    EXPECT_EQ(s.errorMessage, "作業フォルダが作成できません。フォルダ名 = " + ExtractFolderName(work_) +
                                  "（" + std::strerror(ENOTDIR) + "）")
        << "the designed message, then the reason";
    EXPECT_EQ(s.finalState, rsFinished);
}

TEST_F(SearchRunTest, StopDuringALargeFileKeepsItsHitsButWritesNoProgressLine)
{
    std::string big;
    for (int i = 0; i < 20000; ++i)
        big += "line with needle " + std::to_string(i) + "\n";
    Add("a.zip", ZipOf({{"big.txt", big}}));
    Add("b.zip", ZipOf({{"small.txt", "needle\n"}}));
    std::stop_source stop;
    sink_.onHit = [&](const THitRecord &) {
        if (sink_.hits.size() == 5)
            stop.request_stop();
    };
    const RunSummary s = Run(Conditions("needle"), stop.get_token());
    EXPECT_TRUE(s.stopped);
    EXPECT_EQ(sink_.hits.size(), 5u);
    EXPECT_EQ(s.hitCount, 5);
    EXPECT_TRUE(sink_.progress.empty());
    EXPECT_EQ(sink_.started.size(), 1u);  // the next archive is never started
    EXPECT_EQ(s.resultLabel, "5 行 見つかりました。（中断）  書庫数： 1 件  格納数：1 件");
    EXPECT_TRUE(WorkLeftovers().empty());
}

TEST_F(SearchRunTest, StopBeforeAnExtractionEndsTheRunWithoutHits)
{
    Add("a.zip", ZipOf({{"in.txt", "needle\n"}}));
    Add("b.lzh", LzhOf({{"in.txt", "needle\n"}}));
    std::stop_source stop;
    sink_.onStarted = [&](int) { stop.request_stop(); };
    const RunSummary s = Run(Conditions("needle"), stop.get_token());
    EXPECT_TRUE(s.stopped);
    EXPECT_TRUE(sink_.hits.empty());
    EXPECT_EQ(sink_.started.size(), 1u);
    EXPECT_TRUE(WorkLeftovers().empty());
}

TEST_F(SearchRunTest, StoredNamesClimbingOutOfTheExtractionFolderAreNeitherSearchedNorDeleted)
{
    // A file the hostile name would point at, beside the extraction folder.
    const std::string outside = scratch_.Write("work/evil.txt", "needle\n");
    Add("h.tar", TarOf({{"../evil.txt", "needle\n"}, {"ok.txt", "needle\n"}}));
    Run(Conditions("needle"));
    for (const THitRecord &hit : sink_.hits)
        EXPECT_EQ(hit.StoredName, "ok.txt");
    EXPECT_TRUE(std::filesystem::exists(outside));
}

TEST_F(SearchRunTest, ShiftJisTextIsFoundOnCharacterBoundariesOnly)
{
    // "ア" is 0x83 0x41; its trail byte is "A", which must not match alone.
    const std::string text = "\x83\x41\r\nA\r\n\x95\x5c\x8e\xa6\r\n";
    Add("j.lzh", LzhOf({{"j.txt", text}}));
    Run(Conditions("A"));
    ASSERT_EQ(sink_.hits.size(), 1u);
    EXPECT_EQ(sink_.hits[0].LineNo, 2);
    sink_ = RecordingSink{};
    Run(Conditions("表示"));
    ASSERT_EQ(sink_.hits.size(), 1u);
    EXPECT_EQ(sink_.hits[0].LineText, "\x95\x5c\x8e\xa6");
}

TEST_F(SearchRunTest, FuzzyCharactersOnByDefaultAndOffOnRequest)
{
    Add("f.zip", ZipOf({{"f.txt", "ABC\nabc\n\x82\x60\x82\x61\x82\x62\n"}}));  // the last is full-width
    Run(Conditions("abc"));
    EXPECT_EQ(sink_.hits.size(), 3u);
    sink_ = RecordingSink{};
    RunOptions o = Options();
    o.fuzzy = false;
    RunSearch(Conditions("abc"), o, sink_);
    ASSERT_EQ(sink_.hits.size(), 1u);
    EXPECT_EQ(sink_.hits[0].LineNo, 2);
}

TEST_F(SearchRunTest, CommittedFixturesOfEveryTypeAreSearched)
{
    const std::string fixtures = SourceDir() + "/tests/archivers/fixtures/";
    const std::vector<std::string> names = {"sample.zip", "sample-h1.lzh", "sample.arj",
                                            "mszip.cab",  "sample.tgz",    "sample.tar.bz2"};
    for (const std::string &name : names) {
        if (!std::filesystem::exists(fixtures + name))
            GTEST_SKIP() << "fixtures not present";
        std::filesystem::copy_file(fixtures + name, tree_ / name);
    }
    SearchConditions c = Conditions("hello, zurivo");  // fuzzy: case does not matter
    c.storedFiles = "*.txt";
    const RunSummary s = Run(c);
    ASSERT_EQ(sink_.hits.size(), names.size()) << s.errorMessage;
    for (const THitRecord &hit : sink_.hits) {
        EXPECT_EQ(hit.StoredName, "hello.txt");
        EXPECT_EQ(hit.LineNo, 1);
        EXPECT_EQ(hit.LineText, "Hello, ZuRivo!");
    }
    // 30,000 lines of one stored file in each archive.
    sink_ = RecordingSink{};
    c.searchText = "repeats this";
    c.storedFiles = "repeat.txt";
    EXPECT_EQ(Run(c).hitCount, 6 * 30000);
    EXPECT_TRUE(WorkLeftovers().empty());
}

// A scanner standing in for a faster one: it sees every extracted file.
class CountingScanner : public FileScanner {
public:
    explicit CountingScanner(std::vector<std::string> &seen) : seen_(seen) {}
    void SetPattern(const std::string &, bool) override {}
    ScanStatus ScanFile(const std::string &path, const MatchedLineHandler &onLine, std::stop_token) override
    {
        seen_.push_back(std::filesystem::path(path).filename().string());
        onLine(7, "seven");
        return ScanStatus::Completed;
    }

private:
    std::vector<std::string> &seen_;
};

TEST_F(SearchRunTest, TheFileScanIsReplaceable)
{
    Add("a.zip", ZipOf({{"one.txt", "x"}, {"two.txt", "y"}}));
    std::vector<std::string> seen;
    RunOptions o = Options();
    o.scannerFactory = [&] { return std::make_unique<CountingScanner>(seen); };
    const RunSummary s = RunSearch(Conditions("anything"), o, sink_);
    EXPECT_EQ(seen, (std::vector<std::string>{"one.txt", "two.txt"}));
    EXPECT_EQ(s.hitCount, 2);
    EXPECT_EQ(sink_.hits[1], (THitRecord{tree_ / "a.zip", "two.txt", 7, "seven"}));
}

TEST_F(SearchRunTest, RunsOnAnotherThreadWhileTheCallerStops)
{
    std::string big;
    for (int i = 0; i < 200; ++i)
        big += "needle\n";
    for (int i = 0; i < 5; ++i)
        Add("a" + std::to_string(i) + ".zip", ZipOf({{"in.txt", big}}));
    std::stop_source stop;
    std::atomic<bool> reached{false};
    std::atomic<bool> done{false};
    // The tenth hit waits until the caller's stop has arrived.
    sink_.onHit = [&](const THitRecord &) {
        if (sink_.hits.size() != 10)
            return;
        reached = true;
        while (!stop.stop_requested())
            std::this_thread::yield();
    };
    RunSummary s;
    std::thread worker([&] {
        s = Run(Conditions("needle"), stop.get_token());
        done = true;
    });
    while (!reached && !done)
        std::this_thread::yield();
    stop.request_stop();
    worker.join();
    EXPECT_TRUE(s.stopped);
    EXPECT_EQ(s.hitCount, 10);
    EXPECT_EQ(sink_.started.size(), 1u);
    EXPECT_TRUE(WorkLeftovers().empty());
}

}  // namespace
}  // namespace zr::search::test
