#include <gtest/gtest.h>

#include <set>

#include "archivers/arj/arj_timestamp.h"
#include "arj_test_support.h"

namespace zr::arj::test {
namespace {

const std::string kJapaneseName = "src/\x93\xfa\x96\x7b.txt";  // 日本.txt in CP932

TEST(ArjListing, MainHeaderDescribesTheArchive)
{
    const ArjReader reader(Fixture("m1.arj"));
    const ArjMainHeader &main = reader.mainHeader();
    EXPECT_EQ(main.name, "m1.arj");
    EXPECT_EQ(main.fileType, static_cast<std::uint8_t>(ArjFileType::kMainHeader));
    EXPECT_EQ(main.hostOs, static_cast<std::uint8_t>(ArjHostOs::kUnix));
    EXPECT_EQ(main.headerOffset, 0u);
    EXPECT_FALSE(main.isMultiVolume());
    EXPECT_FALSE(main.isGarbled());
    EXPECT_EQ(reader.archiveOffset(), 0u);
}

TEST(ArjListing, ListsFilesFoldersEmptyFilesAndRawNames)
{
    const ArjReader reader(Fixture("m1.arj"));
    std::set<std::string> files;
    std::set<std::string> folders;
    const auto archiveSize = std::filesystem::file_size(Fixture("m1.arj"));
    for (const ArjEntry &e : reader.entries()) {
        (e.isDirectory() ? folders : files).insert(e.name);
        EXPECT_LE(e.dataOffset + e.compressedSize, archiveSize);
        if (e.hasData()) {
            EXPECT_EQ(e.originalSize, std::filesystem::file_size(FixtureDir() / e.name)) << e.name;
        }
    }
    EXPECT_EQ(files, (std::set<std::string>{"src/readme.txt", "src/big.txt", "src/data.bin", "src/empty.txt",
                                            "src/dir/sub/nested.txt", kJapaneseName}));
    EXPECT_EQ(folders, (std::set<std::string>{"src/dir", "src/dir/sub", "src/emptydir"}));

    const ArjEntry *nested = FindEntry(reader, "src/dir/sub/nested.txt");
    ASSERT_NE(nested, nullptr);
    EXPECT_EQ(nested->name.substr(nested->fileNameOffset), "nested.txt");
    EXPECT_EQ(FindEntry(reader, "src/empty.txt")->originalSize, 0u);
}

TEST(ArjListing, TextModeEntryIsMarkedAndKeepsItsBytes)
{
    const ArjReader reader(Fixture("text.arj"));
    ASSERT_EQ(reader.entries().size(), 1u);
    const ArjEntry &entry = reader.entries()[0];
    EXPECT_TRUE(entry.isText());
    EXPECT_EQ(ExtractToString(reader, entry), ReadBytes(FixtureDir() / "src/readme.txt"));
}

TEST(ArjListing, UnixHostTimesAreSecondsSince1970)
{
    const ArjReader reader(Fixture("m0.arj"));
    const ArjEntry &entry = *FindEntry(reader, "src/big.txt");
    // make_fixtures.sh stamps every source 2024-05-06 07:08:10 (run in UTC).
    EXPECT_EQ(ArjTimeToUnixTime(entry.modifiedTime, entry.hostOs), 1714979290);
}

TEST(ArjTimestamp, DosAndUnixFormsConvertBothWays)
{
    const std::uint32_t dos = 0x58A63C05;  // 2024-05-06 07:32:10
    const auto msdos = static_cast<std::uint8_t>(ArjHostOs::kMsDos);
    const auto unix = static_cast<std::uint8_t>(ArjHostOs::kUnix);
    EXPECT_EQ(ArjTimeToDosTime(dos, msdos), dos);
    const std::int64_t seconds = ArjTimeToUnixTime(dos, msdos);
    EXPECT_EQ(ArjTimeToDosTime(static_cast<std::uint32_t>(seconds), unix), dos);
    EXPECT_EQ(ArjTimeToUnixTime(0, msdos), 0);  // month 0: invalid, not a crash
}

TEST(ArjListing, GarbledEntryIsListedButNotExtracted)
{
    const ArjReader reader(Fixture("garbled.arj"));
    ASSERT_EQ(reader.entries().size(), 1u);
    const ArjEntry &entry = reader.entries()[0];
    EXPECT_TRUE(entry.isGarbled());
    EXPECT_EQ(entry.name, "src/readme.txt");
    try {
        ExtractToString(reader, entry);
        FAIL() << "a garbled entry must not extract";
    } catch (const ArjError &e) {
        EXPECT_EQ(e.code(), ArjErrorCode::kEncrypted);
        EXPECT_NE(std::string(e.what()).find("src/readme.txt"), std::string::npos);
    }
}

TEST(ArjListing, MultiVolumePiecesAreReportedNotExtracted)
{
    const ArjReader first(Fixture("multi.arj"));
    EXPECT_TRUE(first.mainHeader().isMultiVolume());
    ASSERT_FALSE(first.entries().empty());
    const ArjEntry &split = first.entries().back();
    EXPECT_TRUE(split.continuesInNextVolume());
    EXPECT_THROW(
        {
            try {
                ExtractToString(first, split);
            } catch (const ArjError &e) {
                EXPECT_EQ(e.code(), ArjErrorCode::kMultiVolume);
                throw;
            }
        },
        ArjError);

    const ArjReader second(Fixture("multi.a01"));
    ASSERT_FALSE(second.entries().empty());
    EXPECT_TRUE(second.entries().front().continuedFromPreviousVolume());
}

TEST(ArjDetection, RecognisesOnlyArchivesWithAValidMainHeaderAtTheStart)
{
    EXPECT_TRUE(IsArjArchive(Fixture("m4.arj")));
    EXPECT_FALSE(IsArjArchive(Fixture("src/readme.txt")));
    EXPECT_FALSE(IsArjArchive(Fixture("src/empty.txt")));
    EXPECT_FALSE(IsArjArchive(Fixture("no-such-file.arj")));

    std::string broken = ReadBytes(Fixture("m4.arj"));
    broken[10] ^= 0x01;  // inside the main header: its CRC no longer matches
    EXPECT_FALSE(IsArjArchive(*MakeArjMemorySource(broken)));
}

TEST(ArjDetection, OpeningSomethingElseFailsWithAClearCode)
{
    auto expectCode = [](const std::string &path, ArjErrorCode code) {
        try {
            ArjReader reader(path);
            ADD_FAILURE() << path << " opened";
        } catch (const ArjError &e) {
            EXPECT_EQ(e.code(), code) << e.what();
        }
    };
    expectCode(Fixture("src/readme.txt"), ArjErrorCode::kNotArj);
    expectCode(Fixture("src/empty.txt"), ArjErrorCode::kNotArj);
    expectCode(Fixture("no-such-file.arj"), ArjErrorCode::kIo);
    expectCode(Fixture("src/dir"), ArjErrorCode::kIo);
}

// An executable stub: "MZ", filler, and decoy ids that fail the header checks.
std::string MakeStub(std::size_t size)
{
    std::string stub(size, '\x90');
    stub[0] = 'M';
    stub[1] = 'Z';
    stub.replace(100, 4, std::string("\x60\xEA\x10\x00", 4));                                // size too small
    stub.replace(200, 11, std::string("\x60\xEA\x40\x00\x1E\x0B\x01\x00\x00\x00\x02", 11));  // wrong CRC
    stub.replace(size - 2, 2, std::string("\x60\xEA", 2));  // bare id just before the archive
    return stub;
}

class SelfExtractor : public ::testing::TestWithParam<std::size_t> {};

TEST_P(SelfExtractor, ArchiveIsFoundBehindTheStubAndExtracts)
{
    const TempDir dir;
    const std::string archive = ReadBytes(Fixture("m1.arj"));
    const auto exe = dir.path() / "setup.exe";
    WriteBytes(exe, MakeStub(GetParam()) + archive);

    EXPECT_FALSE(IsArjArchive(exe.string()));
    const std::optional<std::uint64_t> offset = FindArjArchive(exe.string());
    ASSERT_TRUE(offset.has_value());
    EXPECT_EQ(*offset, GetParam());

    const ArjReader reader(exe.string(), *offset);
    EXPECT_EQ(reader.mainHeader().headerOffset, GetParam());
    const ArjEntry &big = *FindEntry(reader, "src/big.txt");
    EXPECT_EQ(ExtractToString(reader, big), ReadBytes(FixtureDir() / "src/big.txt"));
}

// 65,535 puts the id across the scanner's chunk boundary.
INSTANTIATE_TEST_SUITE_P(StubSizes, SelfExtractor, ::testing::Values(48 * 1024, 65535, 300 * 1024));

TEST(ArjDetection, ScanFindsNothingInAFileWithoutAnArchive)
{
    EXPECT_FALSE(FindArjArchive(*MakeArjMemorySource(MakeStub(5000))).has_value());
    EXPECT_FALSE(FindArjArchive(Fixture("src/data.bin")).has_value());
    EXPECT_FALSE(FindArjArchive(Fixture("no-such-file.exe")).has_value());
    EXPECT_EQ(FindArjArchive(Fixture("m2.arj")), std::optional<std::uint64_t>(0));
}

}  // namespace
}  // namespace zr::arj::test
