// The search's per-archive sequence against the real archiver libraries and
// their fixtures: assign, type, list "*.txt *.doc", extract with folders
// kept, overwrite and silent mode on. Skipped while the libraries or the
// fixtures are not there.

#include <gtest/gtest.h>

#include <cstdlib>

#include "archive/archive_control.h"
#include "archive/stored_name.h"
#include "archive_test_support.h"

namespace zr::archive::test {
namespace {

std::string FixtureDir() { return SourceDir() + "/tests/archivers/fixtures"; }

std::string SharedFixture(const std::string &name)
{
    const char *dir = std::getenv("ZR_SHARED_FIXTURES");
    return (dir && *dir) ? std::string(dir) + "/libarchive-samples/" + name : std::string();
}

bool RealLibrariesPresent()
{
    for (const char *so : {"libUnlha32.so", "libcab32.so", "libTar32.so", "libUnarj32j.so", "libunrar32.so",
                           "libunrar.so", "libUnzip32.so"})
        if (!std::filesystem::exists(BinDir() + "/" + so))
            return false;
    return true;
}

// A ustar archive of small text files, written here so a test can hold
// names no fixture tool makes easily.
std::string TarOf(const std::vector<std::pair<std::string, std::string>> &files)
{
    std::string tar;
    for (const auto &[name, content] : files) {
        std::string header(512, '\0');
        auto put = [&](std::size_t at, const std::string &text) { header.replace(at, text.size(), text); };
        char number[16];
        put(0, name);
        put(100, "0000644");
        put(108, "0000000");
        put(116, "0000000");
        std::snprintf(number, sizeof number, "%011o", static_cast<unsigned>(content.size()));
        put(124, number);
        put(136, "14615305660");
        header[156] = '0';
        put(257, std::string("ustar\0"
                             "00",
                             8));
        put(148, "        ");
        unsigned sum = 0;
        for (unsigned char c : header)
            sum += c;
        std::snprintf(number, sizeof number, "%06o", sum);
        put(148, std::string(number, 7));
        tar += header + content + std::string((512 - content.size() % 512) % 512, '\0');
    }
    return tar + std::string(1024, '\0');
}

class RealLibraryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!RealLibrariesPresent())
            GTEST_SKIP() << "archiver libraries not built";
        FreeAllArchiverLibraries();
        SetLibraryFolder(BinDir());
        std::filesystem::create_directory(Extract());
    }
    void TearDown() override
    {
        FreeAllArchiverLibraries();
        SetLibraryFolder({});
    }
    std::string Extract() const { return work_.Path() + "/~EXTRACT"; }

    // The search's preparation of a control.
    void Prepare(TArchiveControl &control)
    {
        control.SetAutomatic(false);
        control.SetTemporarydirectory(work_.Path());
        control.LhaOptions().ErrorMessage = true;
        control.LhaOptions().IgnoreBrokenHeader = true;
        control.LhaOptions().ShowSkipFile = false;
        control.SetOverExtract(oeWrite);
        control.SetSilentMode(true);
    }

    // The search's extraction list: folder entries lose their trailing
    // separator (not for Zip), files add their size.
    TArchiveStrings BuildList(TArchiveControl &control)
    {
        TArchiveStrings list(control.OptionsFor(control.ArchiveType()), work_.File("response.rsp"));
        std::uint32_t total = 0;
        for (int i = 0; i < control.IndividualCount(); ++i) {
            std::string name = control.Individuals(i)->FileName();
            if (control.ArchiveType() != atZip && IsStoredFolderName(name))
                name.pop_back();
            else if (control.ArchiveType() != atZip)
                total += control.Individuals(i)->Size();
            list.Add(name);
        }
        list.TotalCount = static_cast<std::uint32_t>(list.Count());
        list.TotalSize = total;
        list.SetDestDirectory(Extract());
        return list;
    }

    // Runs the whole sequence; returns the listed file entries.
    std::vector<std::string> SearchSequence(const std::string &archive, TArchiveType expected)
    {
        TArchiveControl control;
        Prepare(control);
        int progressEvents = 0;
        control.OnExtract = [&](TArchiveControl *, const std::string &, std::uint32_t, std::uint32_t,
                                std::uint32_t, std::uint32_t, std::uint8_t, bool &) { ++progressEvents; };
        std::string log;
        control.OnLog = [&](TArchiveControl *, std::string_view text, int) { log = LogText(text); };
        control.SetArchiveFile(archive);
        EXPECT_EQ(control.ArchiveType(), expected) << archive;
        if (control.ArchiveType() != expected)
            return {};
        control.ListFiles("*.txt *.doc");
        EXPECT_GT(control.IndividualCount(), 0) << archive;
        TArchiveStrings list = BuildList(control);
        EXPECT_EQ(control.Extract("", list), 0) << archive << "\n" << log;
        std::vector<std::string> files;
        for (int i = 0; i < control.IndividualCount(); ++i) {
            const std::string name = control.Individuals(i)->FileName();
            if (IsStoredFolderName(name))
                continue;
            files.push_back(name);
            EXPECT_TRUE(std::filesystem::is_regular_file(Extract() + "/" + name)) << archive << ": " << name;
        }
        if (expected != atTar && !files.empty()) {
            EXPECT_GT(progressEvents, 0) << archive;
        }
        return files;
    }

    TempDir work_;
};

TEST_F(RealLibraryTest, EveryFormatsFixture)
{
    struct Fixture {
        const char *name;
        TArchiveType type;
        const char *member;  // a stored file the sequence must extract
    };
    const Fixture fixtures[] = {
        {"sample-h0.lzh", atLha, "hello.txt"},    {"sample-h1.lzh", atLha, "hello.txt"},
        {"sample-h2.lzh", atLha, "hello.txt"},    {"stored.lzh", atLha, "hello.txt"},
        {"lh6.lzh", atLha, "sub/repeat.txt"},     {"lh7.lzh", atLha, "hello.txt"},
        {"japanese-h0.lzh", atLha, "日本語.txt"}, {"stored.cab", atCab, "hello.txt"},
        {"mszip.cab", atCab, "日本語.txt"},       {"sample.tar", atTar, "hello.txt"},
        {"sample.tgz", atTar, "hello.txt"},       {"sample.tar.Z", atTar, "hello.txt"},
        {"sample.tar.bz2", atTar, "hello.txt"},   {"repeat.txt.gz", atTar, "repeat.txt"},
        {"repeat.txt.Z", atTar, "repeat.txt"},    {"repeat.txt.bz2", atTar, "repeat.txt"},
        {"sample.arj", atArj, "hello.txt"},       {"method2.arj", atArj, "sub/numbers.txt"},
        {"method3.arj", atArj, "hello.txt"},      {"method4.arj", atArj, "hello.txt"},
        {"sample.zip", atZip, "表示.txt"},        {"stored.zip", atZip, "hello.txt"},
        {"sample.tar.xz", atTar, "hello.txt"},    {"sample.tar.zst", atTar, "sub/numbers.txt"},
        {"sample.tar.lz4", atTar, "hello.txt"},   {"sample.tar.lz", atTar, "hello.txt"},
        {"repeat.txt.xz", atTar, "repeat.txt"},   {"repeat.txt.zst", atTar, "repeat.txt"},
        {"sample.7z", at7z, "表示.txt"},          {"lzma.7z", at7z, "sub/repeat.txt"},
        {"ppmd.7z", at7z, "hello.txt"},           {"bcj.7z", at7z, "hello.txt"},
        {"nonsolid.7z", at7z, "sub/numbers.txt"}, {"stored.7z", at7z, "hello.txt"}};
    int ran = 0;
    for (const Fixture &fixture : fixtures) {
        const std::string path = FixtureDir() + "/" + fixture.name;
        if (!std::filesystem::exists(path))
            continue;
        ++ran;
        const std::vector<std::string> files = SearchSequence(path, fixture.type);
        EXPECT_NE(std::find(files.begin(), files.end(), fixture.member), files.end()) << fixture.name;
        std::filesystem::remove_all(Extract());
        std::filesystem::create_directory(Extract());
    }
    if (ran == 0)
        GTEST_SKIP() << "no fixtures of the archiver libraries";
}

TEST_F(RealLibraryTest, SharedSamplesIncludingSelfExtractors)
{
    const std::pair<const char *, TArchiveType> samples[] = {
        {"test_read_format_rar.rar", atRar},
        {"test_read_format_rar5_stored.rar", atRar},
        {"test_read_format_rar_unicode.rar", atRar},
        {"test_read_format_rar_sfx.exe", atRar},
        {"test_read_format_rar5_sfx.exe", atRar},
        {"test_read_format_lha_filename_cp932.lzh", atLha},
        {"test_read_format_cab_filename_cp932.cab", atCab},
        {"test_read_format_zip_filename_cp932.zip", atZip}};
    int ran = 0;
    for (const auto &[name, type] : samples) {
        const std::string path = SharedFixture(name);
        if (path.empty() || !std::filesystem::exists(path))
            continue;
        ++ran;
        EXPECT_FALSE(SearchSequence(path, type).empty()) << name;
        std::filesystem::remove_all(Extract());
        std::filesystem::create_directory(Extract());
    }
    if (ran == 0)
        GTEST_SKIP() << "no shared samples";
}

TEST_F(RealLibraryTest, RarArchivesAndSelfExtractors)
{
    int ran = 0;
    for (const char *name : {"test_read_format_rar.rar", "test_read_format_rar5_stored.rar",
                             "test_read_format_rar_sfx.exe", "test_read_format_rar5_sfx.exe"}) {
        const std::string path = SharedFixture(name);
        if (path.empty() || !std::filesystem::exists(path))
            continue;
        ++ran;
        TArchiveControl control;
        Prepare(control);
        control.SetArchiveFile(path);
        EXPECT_EQ(control.ArchiveType(), atRar) << name;
        EXPECT_EQ(control.IsSfx(), std::string(name).ends_with(".exe")) << name;
        control.ListFiles("*");
        EXPECT_GT(control.IndividualCount(), 0) << name;
        EXPECT_EQ(control.Extract(Extract(), std::vector<std::string>{control.Individuals(0)->FileName()}), 0)
            << name;
    }
    if (ran == 0)
        GTEST_SKIP() << "no shared RAR samples";
}

TEST_F(RealLibraryTest, ZipNamedExeIsFoundAsZipAndUnknownExtensionIsNot)
{
    const std::string zip = FixtureDir() + "/sample.zip";
    if (!std::filesystem::exists(zip))
        GTEST_SKIP();
    std::filesystem::copy_file(zip, work_.File("setup.EXE"));
    std::filesystem::copy_file(zip, work_.File("setup.dat"));
    SearchSequence(work_.File("setup.EXE"), atZip);
    TArchiveControl control;
    Prepare(control);
    control.SetArchiveFile(work_.File("setup.dat"));
    EXPECT_EQ(control.ArchiveType(), atNone);
}

TEST_F(RealLibraryTest, SevenZipSelfExtractorBuiltFromAFixtureIsFoundAfterTheDesignedTypes)
{
    const std::string seven = FixtureDir() + "/sample.7z";
    if (!std::filesystem::exists(seven))
        GTEST_SKIP();
    WriteFile(work_.File("7zsfx.exe"), "MZ" + std::string(70000, '\x90') + ReadFile(seven));
    const std::vector<std::string> files = SearchSequence(work_.File("7zsfx.exe"), at7z);
    EXPECT_NE(std::find(files.begin(), files.end(), "日本語.txt"), files.end());
}

TEST_F(RealLibraryTest, SelfExtractingCabinetBuiltFromAFixture)
{
    const std::string cab = FixtureDir() + "/stored.cab";
    if (!std::filesystem::exists(cab))
        GTEST_SKIP();
    WriteFile(work_.File("setup.exe"), "MZ" + std::string(510, '\0') + ReadFile(cab));
    SearchSequence(work_.File("setup.exe"), atCab);
}

TEST_F(RealLibraryTest, SelfExtractingZipBuiltFromAFixture)
{
    const std::string zip = FixtureDir() + "/sample.zip";
    if (!std::filesystem::exists(zip))
        GTEST_SKIP();
    WriteFile(work_.File("zipsfx.exe"), "MZ" + std::string(1022, '\0') + ReadFile(zip));
    const std::vector<std::string> files = SearchSequence(work_.File("zipsfx.exe"), atZip);
    EXPECT_NE(std::find(files.begin(), files.end(), "sub/repeat.txt"), files.end());
}

TEST_F(RealLibraryTest, SelfExtractingLhaAndArjBuiltFromFixtures)
{
    const std::string lzh = FixtureDir() + "/sample-h1.lzh";
    const std::string arj = FixtureDir() + "/sample.arj";
    if (!std::filesystem::exists(lzh) || !std::filesystem::exists(arj))
        GTEST_SKIP();
    const std::string stub = "MZ" + std::string(1022, '\0');
    WriteFile(work_.File("lha.exe"), stub + ReadFile(lzh));
    WriteFile(work_.File("arj.exe"), stub + ReadFile(arj));
    SearchSequence(work_.File("lha.exe"), atLha);
    SearchSequence(work_.File("arj.exe"), atArj);
    TArchiveControl control;
    Prepare(control);
    control.SetArchiveFile(work_.File("lha.exe"));
    EXPECT_TRUE(control.IsSfx());
    EXPECT_EQ(control.LhaOptions().SfxType, stDosSfx);
}

TEST_F(RealLibraryTest, BrokenLeadingLhaHeadersNeedTheOption)
{
    const std::string lzh = FixtureDir() + "/sample-h1.lzh";
    if (!std::filesystem::exists(lzh))
        GTEST_SKIP();
    WriteFile(work_.File("broken.lzh"), std::string(300, 'j') + ReadFile(lzh));
    TArchiveControl strict;
    strict.SetAutomatic(false);
    strict.SetArchiveFile(work_.File("broken.lzh"));
    EXPECT_EQ(strict.ArchiveType(), atNone);
    SearchSequence(work_.File("broken.lzh"), atLha);
}

TEST_F(RealLibraryTest, StoredNameThatLooksLikeAResponseFileIsExtracted)
{
    WriteFile(work_.File("at.tar"), TarOf({{"@notes.txt", "notes\n"}, {"plain.txt", "plain\n"}}));
    const std::vector<std::string> files = SearchSequence(work_.File("at.tar"), atTar);
    EXPECT_EQ(files, (std::vector<std::string>{"@notes.txt", "plain.txt"}));
    EXPECT_EQ(ReadFile(Extract() + "/@notes.txt"), "notes\n");
}

TEST_F(RealLibraryTest, CancelLeavesNoPartialFile)
{
    const std::string zip = FixtureDir() + "/sample.zip";
    if (!std::filesystem::exists(zip))
        GTEST_SKIP();
    TArchiveControl control;
    Prepare(control);
    control.SetArchiveFile(zip);
    ASSERT_EQ(control.ArchiveType(), atZip);
    bool cancelled = false;
    control.OnExtract = [&](TArchiveControl *, const std::string &, std::uint32_t, std::uint32_t,
                            std::uint32_t, std::uint32_t, std::uint8_t done, bool &cancel) {
        if (done > 0 && done < 100)
            cancel = cancelled = true;
    };
    EXPECT_EQ(control.Extract(Extract(), std::vector<std::string>{"sub/repeat.txt"}), 2);
    EXPECT_TRUE(cancelled);
    const std::string target = Extract() + "/sub/repeat.txt";
    EXPECT_FALSE(std::filesystem::exists(target) && std::filesystem::file_size(target) != 750000u);
}

// A solid 7z whose wanted entry sits behind 24 MiB of other text: the library
// decompresses that text first, and the control's progress event must come
// during that work, so a stop is heard long before the entry's data.
TEST_F(RealLibraryTest, SolidSevenZipStopsWhileTheEntriesInFrontAreDecompressed)
{
    if (std::system("command -v 7zz >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "7zz is not installed";
    const std::string src = work_.Path() + "/src";
    std::filesystem::create_directory(src);
    std::string big;
    for (std::uint32_t x = 7; big.size() < (24u << 20);) {
        x = x * 1103515245u + 12345u;
        big += "filler " + std::to_string(x >> 8) + "\n";
    }
    WriteFile(src + "/a-big.txt", big);
    WriteFile(src + "/z-wanted.txt", "wanted\n");
    const std::string archive = work_.Path() + "/solid.7z";
    const std::string make =
        "cd '" + src + "' && 7zz a -bd -bso0 -bsp0 -ms=on -mx1 '" + archive + "' a-big.txt z-wanted.txt";
    ASSERT_EQ(std::system(make.c_str()), 0);

    TArchiveControl control;
    Prepare(control);
    control.SetArchiveFile(archive);
    ASSERT_EQ(control.ArchiveType(), at7z);
    int events = 0;
    bool dataSeen = false;
    control.OnExtract = [&](TArchiveControl *, const std::string &, std::uint32_t, std::uint32_t,
                            std::uint32_t written, std::uint32_t, std::uint8_t, bool &cancel) {
        if (written > 0)
            dataSeen = true;
        if (++events == 3)
            cancel = true;
    };
    EXPECT_EQ(control.Extract(Extract(), std::vector<std::string>{"z-wanted.txt"}), 2);
    EXPECT_EQ(events, 3);
    EXPECT_FALSE(dataSeen);
    EXPECT_FALSE(std::filesystem::exists(Extract() + "/z-wanted.txt"));

    // Without a stop the same extraction delivers the entry.
    control.OnExtract = nullptr;
    EXPECT_EQ(control.Extract(Extract(), std::vector<std::string>{"z-wanted.txt"}), 0);
    EXPECT_EQ(ReadFile(Extract() + "/z-wanted.txt"), "wanted\n");
}

TEST_F(RealLibraryTest, ZeroByteArchiveListsEmpty)
{
    WriteFile(work_.File("empty.zip"), "");
    TArchiveControl control;
    Prepare(control);
    control.SetArchiveFile(work_.File("empty.zip"));
    EXPECT_EQ(control.ArchiveType(), atZip);
    control.ListFiles("*.*");
    EXPECT_EQ(control.IndividualCount(), 0);
}

}  // namespace
}  // namespace zr::archive::test
