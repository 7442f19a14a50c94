// The search reads each archive in one pass and scans stored files as they
// are decompressed: names no folder could hold are searched, damaged and
// locked entries are reported while the others keep their hits, a large
// file streams through the scan, and a stop keeps the lines found before it.

#include <algorithm>
#include <climits>
#include <cstring>
#include <tuple>
#include <zlib.h>

#include "regex/japanese_corpus.h"
#include "search/archive_session.h"
#include "search/block_queue.h"
#include "search/file_scanner.h"
#include "search_test_support.h"

namespace zr::search::test {
namespace {

class OnePassTest : public SearchTreeTest {
protected:
    std::vector<std::string> HitNames() const
    {
        std::vector<std::string> names;
        for (const THitRecord &hit : sink_.hits)
            names.push_back(hit.StoredName);
        return names;
    }
};

// A byte changed inside a stored member: its CRC no longer holds.
std::string Spoiled(std::string zip, const std::string &content)
{
    const auto at = zip.find(content);
    zip[at] = static_cast<char>(zip[at] ^ 0x20);
    return zip;
}

// The first member marked encrypted in both of its headers.
std::string FirstMemberEncrypted(std::string zip)
{
    zip[6] = static_cast<char>(zip[6] | 1);
    const auto central = zip.find("PK\x01\x02");
    zip[central + 8] = static_cast<char>(zip[central + 8] | 1);
    return zip;
}

TEST_F(OnePassTest, NamesNoFolderCouldHoldAreSearchedEachOnItsOwn)
{
    const std::string longName = [] {
        std::string name;
        while (name.size() <= PATH_MAX)
            name += std::string(60, 'd') + "/";
        return name + "deep.txt";
    }();
    Members members = {{"C:\\drive.txt", "needle drive\n"}, {"C:bare.txt", "needle bare\n"},
                       {"line\nfeed.txt", "needle feed\n"}, {"twice.txt", "needle first\n"},
                       {"twice.txt", "needle second\n"},    {longName, "needle deep\n"}};
    for (int i = 0; i < 10; ++i)  // more than ten entries
        members.push_back({"filler" + std::to_string(i) + ".txt", "nothing\n"});
    Add("a.zip", ZipOf(members));
    Run(Conditions("needle"));
    std::vector<std::string> names = HitNames();
    ASSERT_EQ(names.size(), 6u);
    EXPECT_TRUE(names[5] == longName) << "the long name came cut: " << names[5].size() << " bytes";
    names.pop_back();
    // The library gives "/" for the "\" of a DOS-style name, as its listing does.
    EXPECT_EQ(names, (std::vector<std::string>{"C:/drive.txt", "C:bare.txt", "line\nfeed.txt", "twice.txt",
                                               "twice.txt"}));
    EXPECT_EQ(sink_.hits[3].LineText, "needle first");
    EXPECT_EQ(sink_.hits[4].LineText, "needle second");
    EXPECT_TRUE(sink_.skipped.empty());
    EXPECT_TRUE(WorkLeftovers().empty());
}

TEST_F(OnePassTest, NamesThatClimbOutAreReportedAndTheRestSearched)
{
    Add("a.zip", ZipOf({{"../up.txt", "needle\n"}, {"/root.txt", "needle\n"}, {"in.txt", "needle\n"}}));
    Run(Conditions("needle"));
    EXPECT_EQ(HitNames(), (std::vector<std::string>{"in.txt"}));
    ASSERT_EQ(sink_.skipped.size(), 2u);
    EXPECT_EQ(sink_.skipped[0].reason, SkipReason::EntryRefused);
    EXPECT_EQ(sink_.skipped[0].detail, "../up.txt");
}

TEST_F(OnePassTest, ListOnlyModeListsFromTheSameWalk)
{
    Add("a.zip", ZipOf({{"dir/", ""}, {"dir/a.txt", "x"}, {"dir/a.txt", "y"}, {"b.log", "z"}}));
    auto c = Conditions("");
    c.storedFiles = "*.txt dir";
    Run(c);
    EXPECT_EQ(HitNames(), (std::vector<std::string>{"dir/", "dir/a.txt", "dir/a.txt"}));
    EXPECT_EQ(sink_.hits[1].LineNo, 0);
}

TEST_F(OnePassTest, ADamagedEntryIsReportedAndTheOthersKeepTheirHits)
{
    const std::string zip = ZipOf({{"good1.txt", "needle one\n"},
                                   {"bad.txt", "needle spoiled content\n"},
                                   {"good2.txt", "needle two\n"}});
    Add("a.zip", Spoiled(zip, "spoiled"));
    Run(Conditions("needle"));
    EXPECT_EQ(HitNames(), (std::vector<std::string>{"good1.txt", "good2.txt"}));
    ASSERT_EQ(sink_.skipped.size(), 1u);
    EXPECT_EQ(sink_.skipped[0].reason, SkipReason::Damaged);
    EXPECT_TRUE(sink_.skipped[0].detail.starts_with("bad.txt")) << sink_.skipped[0].detail;
}

TEST_F(OnePassTest, ATruncatedArchiveKeepsTheHitsOfItsIntactEntries)
{
    std::string tar =
        TarOf({{"first.txt", "needle first\n"}, {"second.txt", std::string(4000, 'x') + "\nneedle\n"}});
    tar.resize(512 + 512 + 512 + 1000);  // cut inside the second member's data
    Add("a.tar", tar);
    Run(Conditions("needle"));
    EXPECT_EQ(HitNames(), (std::vector<std::string>{"first.txt"}));
    ASSERT_FALSE(sink_.skipped.empty());
    EXPECT_EQ(sink_.skipped.back().reason, SkipReason::Damaged);
}

TEST_F(OnePassTest, AnEncryptedEntryIsReportedByName)
{
    Add("a.zip", FirstMemberEncrypted(ZipOf({{"locked.txt", "needle\n"}, {"open.txt", "needle\n"}})));
    Run(Conditions("needle"));
    EXPECT_EQ(HitNames(), (std::vector<std::string>{"open.txt"}));
    ASSERT_EQ(sink_.skipped.size(), 1u);
    EXPECT_EQ(sink_.skipped[0].reason, SkipReason::PasswordProtected);
    EXPECT_EQ(sink_.skipped[0].detail, "locked.txt");
}

// Lines with the needle spread through a file past the gathering limit, in
// UTF-8 so the transcoder works on the stream too.
std::string LargeText()
{
    std::string text;
    for (int i = 0; text.size() < 3 * ArchiveSession::kGatherLimit; ++i)
        text += (i % 997 == 0 ? "needle 日本語 " : "filler ") + std::to_string(i) + "\n";
    return text;
}

TEST_F(OnePassTest, ALargeEntryStreamsThroughTheScanWithTheHitsOfAWholeFileScan)
{
    const std::string text = LargeText();
    Add("a.zip", ZipOf({{"big.txt", text}, {"small.txt", "needle small\n"}}));
    Run(Conditions("needle"));
    const std::vector<THitRecord> streamed = sink_.hits;

    // The same text scanned whole from memory.
    auto scanner = MakeGrepScanner();
    scanner->SetPattern("needle", true);
    std::vector<std::pair<int, std::string>> whole;
    scanner->ScanBytes("big.txt", text,
                       [&](std::int32_t n, std::string_view line) { whole.emplace_back(n, line); }, {});
    ASSERT_EQ(streamed.size(), whole.size() + 1);
    for (std::size_t i = 0; i < whole.size(); ++i) {
        EXPECT_EQ(streamed[i].LineNo, whole[i].first);
        EXPECT_EQ(streamed[i].LineText, CutLineText(whole[i].second));
    }
    EXPECT_EQ(streamed.back().StoredName, "small.txt");
}

// The grep component, with a stop asked for once a number of lines was found.
class StoppingScanner : public FileScanner {
public:
    StoppingScanner(std::stop_source &stop, int after) : stop_(stop), after_(after) {}
    void SetPattern(const std::string &pattern, bool fuzzy) override { inner_->SetPattern(pattern, fuzzy); }
    ScanStatus ScanFile(const std::string &path, const MatchedLineHandler &onLine,
                        std::stop_token stop) override
    {
        return inner_->ScanFile(path, Counting(onLine), stop);
    }
    ScanStatus ScanBytes(const std::string &path, std::string_view bytes, const MatchedLineHandler &onLine,
                         std::stop_token stop) override
    {
        return inner_->ScanBytes(path, bytes, Counting(onLine), stop);
    }
    ScanStatus ScanStream(const std::string &path, regex::TByteStream &stream,
                          const MatchedLineHandler &onLine, std::stop_token stop) override
    {
        return inner_->ScanStream(path, stream, Counting(onLine), stop);
    }
    bool ScansBytes() const override { return true; }

private:
    MatchedLineHandler Counting(const MatchedLineHandler &onLine)
    {
        return [this, onLine](std::int32_t n, std::string_view line) {
            onLine(n, line);
            if (++seen_ == after_)
                stop_.request_stop();
        };
    }
    std::stop_source &stop_;
    int after_;
    int seen_ = 0;
    std::unique_ptr<FileScanner> inner_ = MakeGrepScanner();
};

std::string Gzipped(const std::string &bytes)
{
    z_stream z{};
    deflateInit2(&z, 6, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&z, static_cast<uLong>(bytes.size())), '\0');
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(bytes.data()));
    z.avail_in = static_cast<uInt>(bytes.size());
    z.next_out = reinterpret_cast<Bytef *>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

TEST_F(OnePassTest, AStopInsideAnEntryKeepsTheLinesFoundBeforeIt)
{
    std::string text;
    for (int i = 0; text.size() < 3 * ArchiveSession::kGatherLimit; ++i)
        text += "needle " + std::to_string(i) + "\n";
    const std::string tar =
        TarOf({{"first.txt", "needle first\n"}, {"big.txt", text}, {"after.txt", "needle after\n"}});
    Add("tar/a.tar", tar);
    Add("tgz/a.tar.gz", Gzipped(tar));
    // A solid 7z: its 30,000-line file is decompressed with the others in one block.
    Add("7z/sample.7z", zr::testing::ReadFileBytes(SourceDir() + "/tests/archivers/fixtures/sample.7z"));
    const auto runStoppedAfter = [&](const std::string &folder, const std::string &pattern, int after) {
        sink_ = RecordingSink{};
        std::stop_source stop;
        RunOptions o = Options();
        o.scannerFactory = [&] { return std::make_unique<StoppingScanner>(stop, after); };
        SearchConditions c = Conditions(pattern);
        c.folder = tree_ / folder;
        const RunSummary s = RunSearch(c, o, sink_, stop.get_token());
        EXPECT_TRUE(s.stopped);
        EXPECT_EQ(static_cast<int>(sink_.hits.size()), after);
    };
    for (const char *folder : {"tar", "tgz"}) {
        for (int after : {1, 2, 500, 20000}) {
            SCOPED_TRACE(std::string(folder) + " " + std::to_string(after));
            runStoppedAfter(folder, "needle", after);
            ASSERT_FALSE(sink_.hits.empty());
            EXPECT_EQ(sink_.hits[0].StoredName, "first.txt");
            for (int i = 1; i < static_cast<int>(sink_.hits.size()); ++i)
                EXPECT_EQ(sink_.hits[static_cast<std::size_t>(i)].LineText,
                          "needle " + std::to_string(i - 1));
        }
    }
    for (int after : {1, 2, 7000}) {
        SCOPED_TRACE(after);
        runStoppedAfter("7z", "repeats", after);
    }
}

// Bytes that arrive a few at a time, as a slow decompressor would give them.
class DribblingStream final : public regex::TByteStream {
public:
    explicit DribblingStream(std::string_view bytes) : bytes_(bytes) {}
    std::size_t Read(char *dest, std::size_t wanted) override
    {
        const std::size_t n = std::min({wanted, bytes_.size(), std::size_t{1} + step_++ % 5});
        std::memcpy(dest, bytes_.data(), n);
        bytes_.remove_prefix(n);
        return n;
    }

private:
    std::string_view bytes_;
    std::size_t step_ = 0;
};

TEST(StreamedText, EveryEncodingIsJudgedAndConvertedAsFromAWholeFile)
{
    using E = regex::TTextEncoding;
    // Unicode forms also carry a character CP932 lacks (shown through a substitution).
    const auto text = [](bool unicode, bool lateJapanese) {
        std::string utf8 = lateJapanese ? std::string(5000, 'a') + "\n" : "";
        for (int i = 0; i < 300; ++i)
            utf8 +=
                (i % 7 == 0 ? std::string("検索する文字列") + (unicode ? " ™ " : " ") : "ただの行 plain ") +
                std::to_string(i) + "\r\n";
        return utf8;
    };
    const std::vector<std::pair<E, bool>> forms = {
        {E::teCp932, false},  {E::teUtf8, false},  {E::teUtf8, true},      {E::teUtf16LE, true},
        {E::teUtf16BE, true}, {E::teEucJp, false}, {E::teIso2022Jp, false}};
    auto scanner = MakeGrepScanner();
    scanner->SetPattern(zr::test::Encoded("検索", E::teCp932), true);
    for (const bool late : {false, true}) {
        for (const auto &[encoding, bom] : forms) {
            SCOPED_TRACE(static_cast<int>(encoding) * 10 + late);
            const bool unicode =
                encoding == E::teUtf8 || encoding == E::teUtf16LE || encoding == E::teUtf16BE;
            const std::string bytes = zr::test::Encoded(text(unicode, late), encoding, bom);
            using Line = std::tuple<int, std::string, std::size_t>;
            std::vector<Line> whole, streamed;
            scanner->ScanBytes("f.txt", bytes,
                               [&](std::int32_t n, std::string_view line) {
                                   whole.emplace_back(n, std::string(line),
                                                      scanner->LineSubstitutions().size());
                               },
                               {});
            DribblingStream stream(bytes);
            scanner->ScanStream("f.txt", stream,
                                [&](std::int32_t n, std::string_view line) {
                                    streamed.emplace_back(n, std::string(line),
                                                          scanner->LineSubstitutions().size());
                                },
                                {});
            EXPECT_EQ(whole.size(), 43u);
            EXPECT_EQ(streamed, whole);
        }
    }
}

TEST(BlockQueue, HandsBytesOverInOrderWithinItsBound)
{
    BlockQueue queue(64);
    std::string expected;
    std::jthread producer([&] {
        for (int i = 0; i < 2000; ++i)
            queue.Push(std::to_string(i) + ",");
        queue.Close();
    });
    for (int i = 0; i < 2000; ++i)
        expected += std::to_string(i) + ",";
    std::string got;
    char buffer[7];
    for (std::size_t n; (n = queue.Read(buffer, sizeof buffer)) > 0;)
        got.append(buffer, n);
    EXPECT_EQ(got, expected);
}

// Small blocks then one too large to fit beside them: the reader must not
// wait for more while the writer waits for room.
TEST(BlockQueue, ABlockThatDoesNotFitMakesTheReaderTakeWhatIsQueued)
{
    BlockQueue queue(64);
    const std::vector<std::string> blocks{"0123456789", std::string(60, 'a'), "b", std::string(100, 'c'), "end"};
    std::jthread producer([&] {
        for (const std::string &b : blocks)
            ASSERT_TRUE(queue.Push(b));
        queue.Close();
    });
    std::string got;
    char buffer[5];
    for (std::size_t n; (n = queue.Read(buffer, sizeof buffer)) > 0;)
        got.append(buffer, n);
    std::string expected;
    for (const std::string &b : blocks)
        expected += b;
    EXPECT_EQ(got, expected);
}

TEST(BlockQueue, AReaderThatQuitsReleasesAWaitingProducer)
{
    BlockQueue queue(4);
    ASSERT_TRUE(queue.Push("full"));
    bool pushed = true;
    std::jthread producer([&] { pushed = queue.Push("more"); });
    queue.Quit();
    producer.join();
    EXPECT_FALSE(pushed);
}

}  // namespace
}  // namespace zr::search::test
