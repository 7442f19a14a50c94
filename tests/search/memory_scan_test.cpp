// Stored files scanned from memory as the library decompresses them must give
// a run exactly what scanning each of them written out to the work folder
// gives: the same events, in the same order, including damaged archives.

#include "search/file_scanner.h"
#include "search_test_support.h"

namespace zr::search::test {
namespace {

// The grep component, but unable to scan bytes: every file goes by the disk.
class FolderOnlyScanner : public FileScanner {
public:
    void SetPattern(const std::string &pattern, bool fuzzy) override { inner_->SetPattern(pattern, fuzzy); }
    ScanStatus ScanFile(const std::string &path, const MatchedLineHandler &onLine,
                        std::stop_token stop) override
    {
        return inner_->ScanFile(path, onLine, stop);
    }
    std::vector<regex::TLineSubstitution> LineSubstitutions() const override
    {
        return inner_->LineSubstitutions();
    }

private:
    std::unique_ptr<FileScanner> inner_ = MakeGrepScanner();
};

// Every event of a run as one line, in the order they came.
class EventLog : public RunSink {
public:
    std::vector<std::string> lines;

    void OnProgressLine(const std::string &text) override { lines.push_back("progress " + text); }
    void OnHit(const THitRecord &hit) override
    {
        lines.push_back("hit " + Leaf(hit.ArchivePath) + "{" + hit.StoredName +
                        "}:" + std::to_string(hit.LineNo) + ":" + hit.LineText + " subs " +
                        std::to_string(hit.Substitutes.size()));
    }
    void OnArchiveSkipped(const std::string &path, SkipReason reason, const std::string &detail) override
    {
        lines.push_back(std::string("skipped ") + Leaf(path) + " " + SkipReasonName(reason) + " " + detail);
    }

private:
    static std::string Leaf(const std::string &path)
    {
        return std::filesystem::path(path).filename().string();
    }
};

class MemoryScanTest : public SearchTreeTest {
protected:
    std::vector<std::string> Events(const SearchConditions &c, bool folderOnly)
    {
        RunOptions o = Options();
        if (folderOnly)
            o.scannerFactory = [] { return std::make_unique<FolderOnlyScanner>(); };
        EventLog log;
        RunSearch(c, o, log, {});
        EXPECT_TRUE(WorkLeftovers().empty());
        return log.lines;
    }

    void ExpectSameAsFromTheFolder(const SearchConditions &c)
    {
        const std::vector<std::string> fromMemory = Events(c, false);
        EXPECT_FALSE(fromMemory.empty());
        EXPECT_EQ(fromMemory, Events(c, true));
    }
};

TEST_F(MemoryScanTest, EveryKindOfArchiveGivesTheSameEventsAsFromTheFolder)
{
    const std::string fixtures = SourceDir() + "/tests/archivers/fixtures/";
    Add("a.zip", ZipOf({{"docs/a.txt", "needle one\r\nnothing\r\nxneedlex two\r\n"},
                        {"b.txt", "no match\n"},
                        {"c.txt", "\x83\x6c\x83\x5c needle \x95\x5c\x8e\xa6\r\n"}}));
    // Converted encodings report their substitutions from memory as from a file.
    Add("u.zip", ZipOf({{"utf8.txt", "needle \xE2\x84\xA2 \xF0\x9F\x98\x80\n"}, {"plain.txt", "needle\n"}}));
    // A refused name and a folder entry between scanned files.
    Add("h.tar", TarOf({{"first.txt", "needle\n"},
                        {"../evil.txt", "needle\n"},
                        {"sub/", ""},
                        {"sub/ok.txt", "needle ok\n"}}));
    // The same name twice: each copy is searched on its own.
    Add("d.lzh",
        LzhOf({{"dup.txt", "needle old\r\n"}, {"other.txt", "needle\r\n"}, {"dup.txt", "needle new\r\n"}}));
    for (const char *name : {"sample.tgz", "sample.tar.bz2", "sample.7z", "lh7.lzh", "mszip.cab"})
        Add(std::string("f-") + name, zr::testing::ReadFileBytes(fixtures + name));
    for (const char *text : {"needle", "e", "ZuRivo"})
        ExpectSameAsFromTheFolder(Conditions(text));
}

TEST_F(MemoryScanTest, ADamagedEntryLosesItsHitsAndIsReportedByName)
{
    // Its first file holds the text and fails its CRC.
    const std::string fixtures = SourceDir() + "/tests/archivers/fixtures/";
    Add("badcrc.zip", zr::testing::ReadFileBytes(fixtures + "badcrc.zip"));
    Add("good.zip", ZipOf({{"hello.txt", "hello, ZuRivo!\n"}}));
    const SearchConditions c = Conditions("ZuRivo");
    const std::vector<std::string> events = Events(c, false);
    EXPECT_EQ(events, (std::vector<std::string>{"skipped badcrc.zip damaged hello.txt (CRC error)",
                                                "hit good.zip{hello.txt}:1:hello, ZuRivo! subs 0",
                                                "progress good.zip ⇒ hello.txt ⇒ 1行"}));
    EXPECT_EQ(events, Events(c, true));
}

}  // namespace
}  // namespace zr::search::test
