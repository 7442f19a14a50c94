// Archives inside executables: a stub of 48 KiB, 300 KiB or 1 MiB in front,
// found by the libraries' own signature scan (ZIP by its central directory).
#include <gtest/gtest.h>

#include "archiver_test_support.h"
#include "test_archive_writers.h"

namespace zr::archivers::test {
namespace {

struct SfxCase {
    const char *library;
    const char *prefix;
    const char *fixture;  // empty: a RAR written by the test
    const char *switches;
    int entries;
};

class SelfExtractorTest : public ::testing::TestWithParam<std::tuple<SfxCase, std::size_t>> {
protected:
    std::string archivePath(const TempDir &dir) const
    {
        const SfxCase &c = std::get<0>(GetParam());
        if (*c.fixture)
            return FixturePath(c.fixture);
        const auto path = dir.path() / "written.rar";
        WriteFile(path, MakeRar4({{"hello.txt", HelloText()}, {"numbers.txt", NumbersText()}}));
        return path.string();
    }
};

TEST_P(SelfExtractorTest, FindsListsAndExtractsTheArchiveBehindTheStub)
{
    const auto &[c, stubSize] = GetParam();
    ArchiverLibrary lib(c.library, c.prefix);
    ASSERT_TRUE(lib.loaded());
    TempDir dir;
    const std::string plain = archivePath(dir);
    const std::string exe = MakeSelfExtractor(dir.path(), plain, stubSize);
    EXPECT_NE(lib.check(exe), 0);
    EXPECT_EQ(lib.count(exe), c.entries);
    EXPECT_EQ(static_cast<int>(lib.list(exe).size()), c.entries);

    HARC arc = lib.fn<ZrArcOpenArchiveFn>("OpenArchive")(nullptr, exe.c_str(), 0x2201);
    ASSERT_NE(arc, nullptr);
    EXPECT_EQ(lib.fn<ZrArcIsSFXFileFn>("IsSFXFile")(arc), ZR_SFX_WIN32);
    lib.fn<ZrArcCloseArchiveFn>("CloseArchive")(arc);

    TempDir dest;
    std::string log;
    EXPECT_EQ(lib.command(std::string(c.switches) + " " + Quote(exe) + " " + Quote(dest.str() + "/") +
                              " \"hello.txt\"",
                          &log),
              0)
        << log;
    EXPECT_EQ(ReadFile(dest.path() / "hello.txt"), HelloText());
}

const SfxCase kCases[] = {
    {"libUnlha32.so", "Unlha", "sample-h2.lzh", "x -m1c -n", 4},
    {"libUnlha32.so", "Unlha", "sample-h0.lzh", "x -m1c -n", 4},
    {"libcab32.so", "Cab", "mszip.cab", "-x -o -i", 5},
    {"libUnzip32.so", "UnZip", "sample.zip", "-x -o --i", 8},
    {"libUnarj32j.so", "Unarj", "sample.arj", "x -jyo -i", 5},
    {"libunrar32.so", "Unrar", "", "-x -o", 2},
    {"lib7z32.so", "SevenZip", "sample.7z", "x -aoa -hide", 8},
};

INSTANTIATE_TEST_SUITE_P(Stubs, SelfExtractorTest,
                         ::testing::Combine(::testing::ValuesIn(kCases),
                                            ::testing::Values(48u * 1024, 300u * 1024, 1024u * 1024)),
                         [](const auto &info) {
                             std::string name = std::get<0>(info.param).fixture;
                             if (name.empty())
                                 name = "rar4";
                             for (auto &ch : name)
                                 if (!isalnum(static_cast<unsigned char>(ch)))
                                     ch = '_';
                             return name + "_" + std::to_string(std::get<1>(info.param) / 1024) + "k";
                         });

TEST(SelfExtractorKindTest, PlainArchivesAreNotSelfExtractingAndDosStubsAreTold)
{
    ArchiverLibrary lha("libUnlha32.so", "Unlha");
    TempDir dir;
    const std::string plain = FixturePath("sample-h2.lzh");
    HARC arc = lha.fn<ZrArcOpenArchiveFn>("OpenArchive")(nullptr, plain.c_str(), 0x2201);
    ASSERT_NE(arc, nullptr);
    EXPECT_EQ(lha.fn<ZrArcIsSFXFileFn>("IsSFXFile")(arc), ZR_SFX_NONE);
    lha.fn<ZrArcCloseArchiveFn>("CloseArchive")(arc);

    const std::string dos = MakeSelfExtractor(dir.path(), plain, 48 * 1024, false);
    arc = lha.fn<ZrArcOpenArchiveFn>("OpenArchive")(nullptr, dos.c_str(), 0x2201);
    ASSERT_NE(arc, nullptr);
    EXPECT_EQ(lha.fn<ZrArcIsSFXFileFn>("IsSFXFile")(arc), ZR_SFX_DOS);
    lha.fn<ZrArcCloseArchiveFn>("CloseArchive")(arc);
}

TEST(SelfExtractorKindTest, AnExecutableWithoutAnArchiveIsRejected)
{
    TempDir dir;
    const auto exe = dir.path() / "plain.exe";
    // The signatures appear, but no valid header follows them.
    WriteFile(exe, ExecutableStub(64 * 1024, true) + "-lh5- MSCF Rar!\x1a\x07 PK\x03\x04 junk");
    for (const auto &[file, prefix] :
         std::vector<std::pair<std::string, std::string>>{{"libUnlha32.so", "Unlha"},
                                                          {"libcab32.so", "Cab"},
                                                          {"libunrar32.so", "Unrar"},
                                                          {"libUnzip32.so", "UnZip"},
                                                          {"libUnarj32j.so", "Unarj"},
                                                          {"libTar32.so", "Tar"}}) {
        ArchiverLibrary lib(file, prefix);
        EXPECT_EQ(lib.check(exe.string()), 0) << prefix;
        EXPECT_LT(lib.count(exe.string()), 0) << prefix;
    }
}

}  // namespace
}  // namespace zr::archivers::test

namespace zr::archivers::test {
namespace {

// RAR main-header signatures whose header claims a large size (2 MiB for
// RAR 5, 64 KiB for RAR 4) but never checks out: each one would make a
// naive scan checksum megabytes.
std::string RarDecoys(int count)
{
    const std::string rar5("Rar!\x1a\x07\x01\x00\0\0\0\0\xff\xff\x7f\x01", 16);
    const std::string rar4("Rar!\x1a\x07\x00\0\0\x73\0\0\xff\xff", 14);
    std::string decoys;
    for (int i = 0; i < count; ++i)
        decoys += i % 2 ? rar4 : rar5;
    return decoys;
}

TEST(SelfExtractorKindTest, DecoySignaturesAreGivenUpOnAndAFewDoNotHideTheArchive)
{
    ArchiverLibrary rar("libunrar32.so", "Unrar");
    TempDir dir;
    const std::string archive = MakeRar4({{"a.txt", HelloText()}});
    const auto few = dir.path() / "few.exe";
    WriteFile(few, ExecutableStub(4096, true) + RarDecoys(100) + archive);
    EXPECT_NE(rar.check(few.string()), 0);
    EXPECT_EQ(Names(rar.list(few.string())), std::vector<std::string>{"a.txt"});
    // Past the budget of failed candidates the scan stops, however much follows.
    const auto many = dir.path() / "many.exe";
    WriteFile(many, ExecutableStub(4096, true) + RarDecoys(5000) + std::string(3 << 20, '\0') + archive);
    EXPECT_EQ(rar.check(many.string()), 0);
    EXPECT_LT(rar.count(many.string()), 0);
}

}  // namespace
}  // namespace zr::archivers::test
