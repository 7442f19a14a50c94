// zrgrep pointed at a folder of downloads that fights back: special files
// named like archives, link loops, damaged archives of every format, bombs,
// names that try to leave the extraction folder, decoy self-extractors and
// names that are not UTF-8. Every run must end with results or a clear
// message, within bounded memory, writing nothing outside its work folder and
// leaving no work folder behind.

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <thread>

#include "../archive_builders.h"
#include "archivers/test_archive_writers.h"
#include "hostile_program.h"
#include "test_support/temp_env.h"

namespace zr::search::test {
namespace {

namespace fs = std::filesystem;
using archivers::test::Member;

std::string SourceDir()
{
    const char *dir = std::getenv("ZR_SOURCE_DIR");
    return dir ? dir : ".";
}

std::string Fixture(const std::string &name)
{
    return zr::testing::ReadFileBytes(SourceDir() + "/tests/archivers/fixtures/" + name);
}

bool Contains(const std::string &text, const std::string &part)
{
    return text.find(part) != std::string::npos;
}

// No worker died: a library that crashed or hung would show up here.
void ExpectNoWorkerFailure(const ProgramResult &r)
{
    EXPECT_FALSE(Contains(r.err, "書庫の処理中にエラーが発生しました")) << r.err;
}

// Watches a FIFO from the writing side: a reader opening it unblocks the
// watcher, which notes it. Release() ends the watch.
class FifoWatch {
public:
    explicit FifoWatch(std::string path) : path_(std::move(path))
    {
        thread_ = std::thread([this] {
            const int fd = ::open(path_.c_str(), O_WRONLY);
            if (fd >= 0) {
                if (!released_)
                    opened_ = true;
                ::close(fd);
            }
        });
    }
    ~FifoWatch() { Release(); }
    // True when something other than Release opened the FIFO for reading.
    bool Release()
    {
        if (thread_.joinable()) {
            released_ = true;
            const int fd = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK);
            thread_.join();
            if (fd >= 0)
                ::close(fd);
        }
        return opened_;
    }

private:
    std::string path_;
    std::atomic<bool> released_{false};
    std::atomic<bool> opened_{false};
    std::thread thread_;
};

class HostileFolderTest : public HostileProgramTest {};

TEST_F(HostileFolderTest, SpecialFilesNamedLikeArchivesAreSkippedWithoutBeingOpened)
{
    tree_.Write("good.zip", ZipOf({{"a.txt", "needle\n"}}));
    ASSERT_EQ(::mkfifo((tree_ / "pipe.zip").c_str(), 0600), 0);
    FifoWatch watch(tree_ / "pipe.zip");
    // A copy of /dev/zero would feed a reader without end; making one needs
    // the right to make devices, which a container may not give.
    const bool device = ::mknod((tree_ / "zero.lzh").c_str(), S_IFCHR | 0600, ::makedev(1, 5)) == 0;

    const ProgramResult r = Run({"needle", tree_.Path()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, tree_ / "good.zip" + "{a.txt}:1:needle\n");
    EXPECT_FALSE(watch.Release()) << "the FIFO was opened for reading";
    if (!device)
        GTEST_LOG_(INFO) << "no device node: making one is not allowed here";
    EXPECT_TRUE(WorkFolders().empty());
}

TEST_F(HostileFolderTest, LinkLoopsEndTheWalk)
{
    tree_.Write("d/a.zip", ZipOf({{"a.txt", "needle\n"}}));
    fs::create_directory_symlink("..", tree_ / "d/up");            // a folder that holds itself
    fs::create_directory_symlink(tree_.Path(), tree_ / "d/root");  // and the root, absolutely
    fs::create_symlink("loop2.zip", tree_ / "loop1.zip");          // links that never resolve
    fs::create_symlink("loop1.zip", tree_ / "loop2.zip");

    const ProgramResult r = Run({"needle", tree_.Path()});
    EXPECT_EQ(r.status, 0) << r.err;
    // However the walk treats folder links, the loop ends and the archive
    // is searched; the looping links are no archives.
    EXPECT_TRUE(Contains(r.out, "a.zip{a.txt}:1:needle")) << r.out;
    EXPECT_FALSE(Contains(r.out, "loop")) << r.out;
    EXPECT_LE(std::count(r.out.begin(), r.out.end(), '\n'), 3);
}

// Every format cut short at several places, beside one intact archive: the
// damaged ones are reported or skipped, none crashes a library (which would
// show as a failed worker), and the intact one is still found.
TEST_F(HostileFolderTest, TruncatedArchivesOfEveryFormatCostOnlyThemselves)
{
    const std::pair<std::string, std::string> formats[] = {
        {"zip", Fixture("sample.zip")},
        {"lzh", Fixture("sample-h2.lzh")},
        {"cab", Fixture("mszip.cab")},
        {"tar", Fixture("sample.tar")},
        {"tgz", Fixture("sample.tgz")},
        {"tar.bz2", Fixture("sample.tar.bz2")},
        {"tar.xz", Fixture("sample.tar.xz")},
        {"tar.zst", Fixture("sample.tar.zst")},
        {"arj", Fixture("sample.arj")},
        {"7z", Fixture("sample.7z")},
        {"rar", archivers::test::MakeRar4({Member{"hello.txt", "Hello, ZuRivo!\r\n"}})},
        {"RAR", archivers::test::MakeRar5({Member{"hello.txt", "Hello, ZuRivo!\r\n"}})},
    };
    int archives = 0;
    for (const auto &[extension, bytes] : formats) {
        ASSERT_GT(bytes.size(), 40u) << extension;
        for (const std::size_t cut : {std::size_t{7}, std::size_t{33}, bytes.size() / 2, bytes.size() - 1}) {
            tree_.Write("cut" + std::to_string(cut) + "-" + std::to_string(archives) + "." + extension,
                        bytes.substr(0, cut));
            ++archives;
        }
    }
    tree_.Write("intact.zip", ZipOf({{"hello.txt", "Hello, ZuRivo!\r\n"}}));

    for (const char *mode : {"--workers", "--in-process"}) {
        std::vector<std::string> args{"ZuRivo!", tree_.Path()};
        if (std::string(mode) == "--in-process")
            args.insert(args.begin(), mode);
        const ProgramResult r = Run(args);
        EXPECT_EQ(r.status, 0) << mode << "\n" << r.err;
        EXPECT_TRUE(Contains(r.out, tree_ / "intact.zip" + "{hello.txt}:1:Hello, ZuRivo!")) << mode;
        ExpectNoWorkerFailure(r);
        EXPECT_TRUE(WorkFolders().empty()) << mode;
    }
}

// 1 GiB of zeros in under 1 KB: with a stored-file budget of 8 MB the entry
// stops at the budget, is reported, and the rest of the folder is searched,
// all in bounded memory and disk.
TEST_F(HostileFolderTest, ACompressionBombStopsAtTheStoredFileBudget)
{
    const std::string bomb =
        zr::testing::ReadFileBytes(SourceDir() + "/tests/search/hostile/fixtures/bomb.tar.bz2");
    ASSERT_LT(bomb.size(), 4096u);
    tree_.Write("bomb.tar.bz2", bomb);
    tree_.Write("next.zip", ZipOf({{"a.txt", "needle\n"}}));
    SetSetting("StoredFileLimitMB", 8);

    const ProgramResult r = Run({"needle", tree_.Path()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, tree_ / "next.zip" + "{a.txt}:1:needle\n");
    EXPECT_TRUE(Contains(r.err, "zeros.txt}: 格納ファイルが大きすぎるため検索しませんでした")) << r.err;
    ExpectNoWorkerFailure(r);
    RecordProperty("peak_rss_kb", static_cast<int>(r.peakRssKb));
#if !defined(__SANITIZE_ADDRESS__)
    // The sanitizers' shadow memory and quarantine make sizes meaningless.
    EXPECT_LE(r.peakRssKb, 64 * 1024) << "peak resident size";
#endif
    EXPECT_TRUE(WorkFolders().empty());
}

// A gzip stream written piece by piece, so a large member costs no memory here.
class GzipWriter {
public:
    GzipWriter()
    {
        stream_.zalloc = nullptr;
        stream_.zfree = nullptr;
        stream_.opaque = nullptr;
        deflateInit2(&stream_, 1, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY);
    }
    ~GzipWriter() { deflateEnd(&stream_); }
    void Add(const std::string &bytes) { Pump(bytes, Z_NO_FLUSH); }
    std::string Finish()
    {
        Pump({}, Z_FINISH);
        return std::move(out_);
    }

private:
    void Pump(const std::string &bytes, int flush)
    {
        stream_.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(bytes.data()));
        stream_.avail_in = static_cast<uInt>(bytes.size());
        char buffer[65536];
        do {
            stream_.next_out = reinterpret_cast<Bytef *>(buffer);
            stream_.avail_out = sizeof buffer;
            deflate(&stream_, flush);
            out_.append(buffer, sizeof buffer - stream_.avail_out);
        } while (stream_.avail_out == 0 || (flush == Z_FINISH && stream_.avail_in > 0));
    }
    z_stream stream_{};
    std::string out_;
};

// A ustar header for a regular file of `size` bytes.
std::string UstarHeader(const std::string &name, std::size_t size)
{
    std::string header(512, '\0');
    header.replace(0, name.size(), name);
    header.replace(100, 7, "0000644");
    header.replace(108, 7, "0000000");
    header.replace(116, 7, "0000000");
    char number[16];
    std::snprintf(number, sizeof number, "%011zo", size);
    header.replace(124, 11, number);
    header.replace(136, 11, "14615305660");
    header[156] = '0';
    header.replace(257, 8,
                   std::string("ustar\0"
                               "00",
                               8));
    header.replace(148, 8, "        ");
    unsigned sum = 0;
    for (unsigned char c : header)
        sum += c;
    std::snprintf(number, sizeof number, "%06o", sum);
    header.replace(148, 7, std::string(number, 7));
    return header;
}

// A stored file of one 200 MB line: the reader keeps only what a hit needs,
// so the search finds the match near its end in bounded memory.
TEST_F(HostileFolderTest, AStoredFileOfOne200MbLineIsSearchedInBoundedMemory)
{
    constexpr std::size_t kLine = 200u << 20;
    const std::string chunk = [] {
        std::string c;
        while (c.size() < (1u << 20))
            c += "abcdefghijklmnopqrstuvwxyz0123456789 ";
        return c.substr(0, 1u << 20);
    }();
    const std::string header = UstarHeader("long.txt", kLine);

    GzipWriter gz;
    gz.Add(header);
    for (std::size_t done = 0; done + chunk.size() < kLine; done += chunk.size())
        gz.Add(chunk);
    gz.Add(chunk.substr(0, chunk.size() - 6) + "needle");
    gz.Add(std::string(1024, '\0'));
    tree_.Write("long.tgz", gz.Finish());

    const ProgramResult r = Run({"-f", "*.txt", "needle", tree_.Path()});
    EXPECT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << r.out.substr(0, 1000);
    EXPECT_TRUE(r.out.starts_with(tree_ / "long.tgz" + "{long.txt}:1:abcdefghij")) << r.out.substr(0, 400);
    EXPECT_LE(r.out.size(), 1000u);  // the hit holds the line's start only
    ExpectNoWorkerFailure(r);
    RecordProperty("peak_rss_kb", static_cast<int>(r.peakRssKb));
#if !defined(__SANITIZE_ADDRESS__)
    EXPECT_LE(r.peakRssKb, 64 * 1024 + 1) << "peak resident size";
#endif
    EXPECT_TRUE(WorkFolders().empty());
}

// A listing of 100,000 entries (a tar.gz of empty files, 2 MB) of which one
// matches the stored-file pattern: listed in bounded memory, the match found.
TEST_F(HostileFolderTest, AListingOf100000EntriesIsWalkedInBoundedMemory)
{
    GzipWriter gz;
    for (int i = 0; i < 100000; ++i)
        gz.Add(UstarHeader("d" + std::to_string(i % 97) + "/f" + std::to_string(i) + ".dat", 0));
    const std::string needle = "needle in the last entry\n";
    gz.Add(UstarHeader("last.txt", needle.size()) + needle + std::string(512 - needle.size(), '\0'));
    gz.Add(std::string(1024, '\0'));
    tree_.Write("many.tgz", gz.Finish());

    const ProgramResult r = Run({"-f", "*.txt", "needle", tree_.Path()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, tree_ / "many.tgz" + "{last.txt}:1:needle in the last entry\n");
    ExpectNoWorkerFailure(r);
    RecordProperty("peak_rss_kb", static_cast<int>(r.peakRssKb));
#if !defined(__SANITIZE_ADDRESS__)
    EXPECT_LE(r.peakRssKb, 64 * 1024) << "peak resident size";
#endif
    EXPECT_TRUE(WorkFolders().empty());
}

// Stored names that climb out of the extraction folder in every spelling:
// nothing lands outside, and the archive's ordinary member is still found.
TEST_F(HostileFolderTest, TraversalNamesWriteNothingOutsideAndTheRestIsSearched)
{
    const std::string escape = "zr-hostile-escape-" + std::to_string(::getpid());
    const std::string up = "../../../../../../../../../../../../";
    const std::vector<std::string> names = {
        "../" + escape + "-1.txt",
        up + escape + "-2.txt",
        "/" + escape + "-3.txt",
        scratch_ / (escape + "-4.txt"),
        "..\\..\\..\\" + escape + "-5.txt",
        "sub/../../../" + escape + "-6.txt",
        "\x95\x5c..\x5c..\x5c..\x5c" + escape + "-7.txt",  // 表 ends in 0x5C
        "new\nline/../../" + escape + "-8.txt",
        "good.txt",
    };
    std::vector<Member> members;
    for (const std::string &name : names)
        members.push_back(Member{name, "needle\n"});
    tree_.Write("names.zip", archivers::test::MakeStoredZip(members));
    tree_.Write("names.lzh", archivers::test::MakeStoredLha0(members));
    std::vector<Member> tarMembers = members;
    tarMembers.push_back(Member{"link.txt", "", false, "/etc/passwd"});
    tree_.Write("names.tar", archivers::test::MakeUstar(tarMembers));

    for (const char *mode : {"--workers", "--in-process"}) {
        std::vector<std::string> args{"-f", "*.txt", "needle", tree_.Path()};
        if (std::string(mode) == "--in-process")
            args.insert(args.begin(), mode);
        const ProgramResult r = Run(args);
        EXPECT_EQ(r.status, 0) << r.err;
        for (const char *archive : {"names.zip", "names.lzh", "names.tar"}) {
            EXPECT_TRUE(Contains(r.out, tree_ / archive + "{good.txt}:1:needle")) << mode << " " << archive;
            // Each refused name is named, the rest of the archive is searched.
            EXPECT_TRUE(
                Contains(r.err, tree_ / archive + "{../" + escape + "-1.txt}: 展開フォルダの外を指す"))
                << r.err;
        }
        EXPECT_TRUE(WorkFolders().empty());
    }
    // Nothing named like the escapees anywhere they could have gone.
    // The test's own folders whole; the shared temporary folder, the current
    // folder and the root only by their own entries.
    std::vector<std::string> escaped;
    const std::pair<std::string, bool> places[] = {{scratch_.Path(), true},
                                                   {tree_.Path(), true},
                                                   {fs::path(tree_.Path()).parent_path().string(), false},
                                                   {fs::current_path().string(), false},
                                                   {"/", false}};
    for (const auto &[root, whole] : places) {
        std::error_code ec;
        for (auto it =
                 fs::recursive_directory_iterator(root, fs::directory_options::skip_permission_denied, ec);
             !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
            if (!whole)
                it.disable_recursion_pending();
            if (it->path().filename().string().find(escape) != std::string::npos) {
                escaped.push_back(it->path());
                fs::remove(it->path(), ec);
            }
        }
    }
    EXPECT_TRUE(escaped.empty()) << escaped.front();
}

// A self-extractor whose stub is full of decoy signatures: the archive after
// the stub is found and searched, and the decoys cost nothing but time.
TEST_F(HostileFolderTest, ASelfExtractorFullOfDecoySignaturesIsSearched)
{
    using namespace std::string_literals;
    const std::string decoys[] = {"PK\x03\x04"s,   "PK\x05\x06"s,       "-lh5-"s,
                                  "-lh0-"s,        "Rar!\x1a\x07\x00"s, "Rar!\x1a\x07\x01\x00"s,
                                  "MSCF\0\0\0\0"s, "\x60\xEA"s,         "7z\xBC\xAF\x27\x1C"s,
                                  "ustar"s,        "\x1F\x8B\x08"s,     "BZh9"s};
    std::string stub = "MZ";
    stub.resize(512, '\0');
    for (int round = 0; stub.size() < 48 * 1024; ++round)
        for (const std::string &decoy : decoys) {
            stub += decoy;
            stub += std::string(static_cast<std::size_t>(round % 23), static_cast<char>(round));
        }
    tree_.Write("setup.exe", stub + ZipOf({{"readme.txt", "needle in the real archive\n"}}));
    tree_.Write("lha-setup.exe", stub + LzhOf({{"readme.txt", "needle in the real archive\n"}}));

    const ProgramResult r = Run({"-x", "needle", tree_.Path()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(Contains(r.out, tree_ / "setup.exe" + "{readme.txt}:1:needle in the real archive")) << r.out;
    EXPECT_TRUE(Contains(r.out, tree_ / "lha-setup.exe" + "{readme.txt}:1:needle in the real archive"))
        << r.out;
    ExpectNoWorkerFailure(r);
}

// Archive and folder names in Shift-JIS bytes, which are not UTF-8: found and
// shown with the bytes they have, not dropped.
TEST_F(HostileFolderTest, ShiftJisNamesThatAreNotUtf8AreFoundAndShown)
{
    const std::string folder = "\x95\x5c\x8e\xa6";               // 表示
    const std::string archive = "\x83\x5c\x83\x74\x83\x67.zip";  // ソフト.zip
    tree_.Write(folder + "/" + archive, ZipOf({{"a.txt", "needle\n"}}));
    tree_.Write(archive, ZipOf({{"b.txt", "needle\n"}}));

    const ProgramResult r = Run({"needle", tree_.Path()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(Contains(r.out, tree_ / (folder + "/" + archive) + "{a.txt}:1:needle")) << r.out;
    EXPECT_TRUE(Contains(r.out, tree_ / archive + "{b.txt}:1:needle")) << r.out;

    const ProgramResult json = Run({"--json", "needle", tree_.Path()});
    EXPECT_EQ(json.status, 0);
    EXPECT_EQ(std::count(json.out.begin(), json.out.end(), '\n'), 2) << json.out;
}

// A run killed outright leaves its work folder; the next run removes it, and
// a failed run (a damaged archive, nothing found) leaves nothing.
TEST_F(HostileFolderTest, NoWorkFolderOutlivesAFailedOrKilledRun)
{
    std::string big;
    for (int i = 0; i < 40000; ++i)
        big += "needle number " + std::to_string(i) + " of a long run of lines\n";
    tree_.Write("a.zip", ZipOf({{"big.txt", big}}));
    {
        ChildProcess child(BinDir() + "/zrgrep", {"needle", tree_.Path()}, Env());
        std::string first;
        ASSERT_TRUE(child.ReadLine(first));  // the run is inside its work folder now
        child.Signal(SIGKILL);
        EXPECT_EQ(child.Finish(), 128 + SIGKILL);
    }
    EXPECT_EQ(WorkFolders().size(), 1u);

    tree_.Write("broken.zip", Fixture("truncated.zip"));
    const ProgramResult r = Run({"nothing-like-this", tree_.Path()});
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_TRUE(WorkFolders().empty());
}

}  // namespace
}  // namespace zr::search::test
