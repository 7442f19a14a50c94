// Hostile and damaged archives: nothing is written outside the destination,
// no links or devices are made, damaged data is an error and leaves no file.
#include <gtest/gtest.h>

#include <cstdlib>

#include "archiver_test_support.h"

namespace zr::archivers::test {
namespace {

// The destination sits one level down, so an escape by ".." lands in `root`.
struct Sandbox {
    TempDir root;
    fs::path dest = root.path() / "dest";
    Sandbox() { fs::create_directories(dest); }
    std::string destArg() const { return Quote(dest.string() + "/"); }
};

TEST(SafetyTest, HostileZipNamesAreRefusedAndTheRestIsExtracted)
{
    ArchiverLibrary zip("libUnzip32.so", "UnZip");
    Sandbox box;
    fs::remove("/tmp/zr-absolute-evil.txt");
    std::string log;
    EXPECT_EQ(zip.command("-x -o --i " + Quote(FixturePath("hostile.zip")) + " " + box.destArg(), &log),
              ZR_ARC_E_UNSAFE_NAME);
    EXPECT_NE(log.find("Refused"), std::string::npos);
    EXPECT_EQ(FilesBelow(box.root.path()), (std::map<std::string, std::string>{{"dest/ok.txt", "fine\n"}}));
    EXPECT_FALSE(fs::exists("/tmp/zr-absolute-evil.txt"));
}

TEST(SafetyTest, HostileTarCreatesNoLinksNoDevicesAndNothingOutside)
{
    ArchiverLibrary tar("libTar32.so", "Tar");
    Sandbox box;
    fs::remove("/tmp/zr-absolute-evil.txt");
    fs::remove("/tmp/zr-through-link.txt");
    std::string log;
    EXPECT_EQ(
        tar.command("--use-directory=1 -x -v -f " + Quote(FixturePath("hostile.tar")) + " " + box.destArg(),
                    &log),
        ZR_ARC_E_UNSAFE_NAME);
    for (const auto &e : fs::recursive_directory_iterator(box.root.path()))
        EXPECT_FALSE(e.is_symlink() || e.is_fifo()) << e.path();
    const auto files = FilesBelow(box.root.path());
    EXPECT_EQ(files.count("dest/ok.txt"), 1u);
    EXPECT_EQ(files.count("evil.txt"), 0u);
    EXPECT_FALSE(fs::exists("/tmp/zr-absolute-evil.txt"));
    EXPECT_FALSE(fs::exists("/tmp/zr-through-link.txt"));
}

TEST(SafetyTest, AFolderLinkPlantedInTheDestinationIsNotFollowed)
{
    ArchiverLibrary zip("libUnzip32.so", "UnZip");
    Sandbox box;
    const fs::path outside = box.root.path() / "outside";
    fs::create_directories(outside);
    fs::create_directory_symlink(outside, box.dest / "sub");
    EXPECT_NE(zip.command("-x -o --i " + Quote(FixturePath("sample.zip")) + " " + box.destArg() +
                          " \"sub/numbers.txt\""),
              0);
    EXPECT_TRUE(fs::is_empty(outside));
}

TEST(SafetyTest, CorruptedCrcIsAnErrorAndLeavesNoFileOrTemporary)
{
    for (const auto &[file, prefix, archive, switches] :
         std::vector<std::tuple<std::string, std::string, std::string, std::string>>{
             {"libUnzip32.so", "UnZip", "badcrc.zip", "-x -o --i"},
             {"libUnlha32.so", "Unlha", "badcrc.lzh", "x -m1c -n"}}) {
        ArchiverLibrary lib(file, prefix);
        Sandbox box;
        std::string log;
        EXPECT_EQ(lib.command(switches + " " + Quote(FixturePath(archive)) + " " + box.destArg(), &log),
                  ZR_ARC_E_DATA)
            << log;
        // The damaged member is hello.txt; the intact numbers.txt still arrives.
        const auto files = FilesBelow(box.dest);
        EXPECT_EQ(files.count("hello.txt"), 0u) << archive;
        EXPECT_EQ(files.count("sub/numbers.txt"), 1u) << archive;
        EXPECT_EQ(files.size(), 1u) << archive;
    }
}

TEST(SafetyTest, TruncatedArchivesFailEveryCall)
{
    for (const auto &[file, prefix, archive, switches] :
         std::vector<std::tuple<std::string, std::string, std::string, std::string>>{
             {"libUnzip32.so", "UnZip", "truncated.zip", "-x -o --i"},
             {"libUnlha32.so", "Unlha", "truncated.lzh", "x -m1c -n"},
             {"libTar32.so", "Tar", "truncated.tgz", "-x -f"}}) {
        ArchiverLibrary lib(file, prefix);
        Sandbox box;
        const std::string path = FixturePath(archive);
        EXPECT_EQ(lib.check(path), 0) << archive;
        EXPECT_LT(lib.count(path), 0) << archive;
        EXPECT_NE(lib.command(switches + " " + Quote(path) + " " + box.destArg()), 0) << archive;
        for (const auto &e : fs::recursive_directory_iterator(box.dest))
            EXPECT_EQ(e.path().filename().string().find(".zr-"), std::string::npos) << e.path();
    }
}

TEST(SafetyTest, StopsBeforeTheFreeSpaceReserveAndWritesNothing)
{
    ArchiverLibrary lha("libUnlha32.so", "Unlha");
    Sandbox box;
    setenv("ZR_ARCHIVER_FREE_RESERVE", "18446744073709551000", 1);
    const int result = lha.command("x -m1c -n " + Quote(FixturePath("sample-h2.lzh")) + " " + box.destArg());
    unsetenv("ZR_ARCHIVER_FREE_RESERVE");
    EXPECT_EQ(result, ZR_ARC_E_DISK_FULL);
    EXPECT_TRUE(FilesBelow(box.dest).empty());
}

TEST(OverwriteTest, PoliciesKeepOrReplaceExistingFiles)
{
    ArchiverLibrary zip("libUnzip32.so", "UnZip");
    Sandbox box;
    const std::string archive = Quote(FixturePath("sample.zip"));
    const fs::path hello = box.dest / "hello.txt";
    WriteFile(hello, "mine");
    EXPECT_EQ(zip.command("-x -n " + archive + " " + box.destArg() + " \"hello.txt\""), 0);
    EXPECT_EQ(ReadFile(hello), "mine");
    EXPECT_EQ(zip.command("-x " + archive + " " + box.destArg() + " \"hello.txt\""), 0);  // would ask: kept
    EXPECT_EQ(ReadFile(hello), "mine");
    EXPECT_EQ(zip.command("-u -o " + archive + " " + box.destArg() + " \"hello.txt\""), 0);  // ours is newer
    EXPECT_EQ(ReadFile(hello), "mine");
    fs::last_write_time(hello, fs::file_time_type::clock::now() - std::chrono::hours(24 * 365 * 10));
    EXPECT_EQ(zip.command("-u -o " + archive + " " + box.destArg() + " \"hello.txt\""), 0);
    EXPECT_EQ(ReadFile(hello), HelloText());
    WriteFile(hello, "mine");
    EXPECT_EQ(zip.command("-x -o " + archive + " " + box.destArg() + " \"hello.txt\""), 0);
    EXPECT_EQ(ReadFile(hello), HelloText());
}

TEST(CommandErrorTest, MissingArchiveWrongFormatAndUnmatchedNamesAreErrors)
{
    ArchiverLibrary lha("libUnlha32.so", "Unlha");
    Sandbox box;
    EXPECT_EQ(lha.command("x \"/nonexistent/zr.lzh\" " + box.destArg()), ZR_ARC_E_OPEN);
    EXPECT_EQ(lha.command("x " + Quote(FixturePath("sample.zip")) + " " + box.destArg()),
              ZR_ARC_E_NOT_ARCHIVE);
    EXPECT_EQ(
        lha.command("x " + Quote(FixturePath("sample-h2.lzh")) + " " + box.destArg() + " \"nothing.here\""),
        ZR_ARC_E_NO_MATCH);
    EXPECT_EQ(lha.command("x"), ZR_ARC_E_COMMAND);
    EXPECT_TRUE(FilesBelow(box.dest).empty());
}

}  // namespace
}  // namespace zr::archivers::test

namespace zr::archivers::test {
namespace {

TEST(EncryptedTest, EncryptedEntriesAreListedFlaggedAndNotExtracted)
{
    ArchiverLibrary zip("libUnzip32.so", "UnZip");
    const std::string archive = FixturePath("encrypted.zip");
    const auto records = zip.list(archive);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_NE(records[0].uFlag & ZR_ARC_FLAG_ENCRYPTED, 0u);
    TempDir dest;
    std::string log;
    EXPECT_EQ(zip.command("-x -o --i " + Quote(archive) + " " + Quote(dest.str() + "/"), &log),
              ZR_ARC_E_UNSUPPORTED);
    EXPECT_NE(log.find("Encrypted"), std::string::npos);
    EXPECT_TRUE(FilesBelow(dest.path()).empty());
}

}  // namespace
}  // namespace zr::archivers::test
