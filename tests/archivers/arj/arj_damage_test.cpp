// Damaged archives: every kind of damage ends in an ArjError with the right
// code, never in a crash, a hang or a silent success.
#include <gtest/gtest.h>

#include "arj_archive_builder.h"
#include "arj_test_support.h"

namespace zr::arj::test {
namespace {

ArjErrorCode OpenError(const std::string &bytes)
{
    try {
        ArjReader reader(MakeArjMemorySource(bytes));
    } catch (const ArjError &e) {
        return e.code();
    }
    ADD_FAILURE() << "archive opened";
    return ArjErrorCode::kIo;
}

ArjErrorCode ExtractError(const std::string &bytes, const std::string &name)
{
    const ArjReader reader(MakeArjMemorySource(bytes));
    const ArjEntry *entry = FindEntry(reader, name);
    if (entry == nullptr) {
        ADD_FAILURE() << name << " not listed";
        return ArjErrorCode::kIo;
    }
    try {
        ExtractToString(reader, *entry);
    } catch (const ArjError &e) {
        return e.code();
    }
    ADD_FAILURE() << name << " extracted";
    return ArjErrorCode::kIo;
}

TEST(ArjDamage, ChangedDataIsACrcError)
{
    std::string stored = ReadBytes(Fixture("m0.arj"));
    const ArjEntry big = *FindEntry(ArjReader(MakeArjMemorySource(stored)), "src/big.txt");
    stored[big.dataOffset + 1000] ^= 0x20;
    EXPECT_EQ(ExtractError(stored, "src/big.txt"), ArjErrorCode::kDataCrc);
}

TEST(ArjDamage, ChangedCompressedDataIsDetected)
{
    for (const char *fixture : {"m1.arj", "m4.arj"}) {
        std::string bytes = ReadBytes(Fixture(fixture));
        const ArjEntry big = *FindEntry(ArjReader(MakeArjMemorySource(bytes)), "src/big.txt");
        bytes[big.dataOffset + big.compressedSize / 2] ^= 0x10;
        const ArjErrorCode code = ExtractError(bytes, "src/big.txt");
        EXPECT_TRUE(code == ArjErrorCode::kDataCrc || code == ArjErrorCode::kCorruptData) << fixture;
    }
}

TEST(ArjDamage, ChangedHeaderIsAHeaderCrcError)
{
    std::string bytes = ReadBytes(Fixture("m1.arj"));
    const ArjEntry second = ArjReader(MakeArjMemorySource(bytes)).entries().at(1);
    bytes[second.headerOffset + 12] ^= 0x01;
    EXPECT_EQ(OpenError(bytes), ArjErrorCode::kHeaderCrc);
}

TEST(ArjDamage, TruncatedArchiveFailsToOpenWhereverItIsCut)
{
    const std::string whole = ReadBytes(Fixture("m1.arj"));
    for (std::size_t cut = 0; cut < whole.size(); cut += 977) {
        SCOPED_TRACE(cut);
        const ArjErrorCode code = OpenError(whole.substr(0, cut));
        EXPECT_TRUE(code == ArjErrorCode::kTruncated || code == ArjErrorCode::kNotArj);
    }
    // Only the end marker missing.
    EXPECT_EQ(OpenError(whole.substr(0, whole.size() - 4)), ArjErrorCode::kTruncated);
}

TEST(ArjDamage, GarbageAfterAnEntryIsABadHeader)
{
    std::string bytes = BuildArchive({StoredEntry("a.txt", "alpha")});
    bytes.replace(bytes.size() - 4, 4, "JUNK");
    EXPECT_EQ(OpenError(bytes), ArjErrorCode::kBadHeader);
}

TEST(ArjDamage, UnknownMethodAndFoldersAreRefusedOnExtraction)
{
    BuiltEntry odd = StoredEntry("odd.bin", "payload");
    odd.method = 7;
    BuiltEntry folder{"folder", "", 0, 0, 0, static_cast<std::uint8_t>(ArjFileType::kDirectory), 0};
    const std::string bytes = BuildArchive({odd, folder});
    EXPECT_EQ(ExtractError(bytes, "odd.bin"), ArjErrorCode::kUnsupportedMethod);
    EXPECT_EQ(ExtractError(bytes, "folder"), ArjErrorCode::kNotAFile);
}

TEST(ArjDamage, HeaderFieldsOutOfRangeAreBadHeaders)
{
    const std::string good = BuildArchive({StoredEntry("a.txt", "alpha")});
    const std::size_t entryOffset = ArjReader(MakeArjMemorySource(good)).entries()[0].headerOffset;

    std::string noTerminator = good;  // name runs into the CRC: no NUL left in the header
    const std::size_t basicSize = static_cast<unsigned char>(good[entryOffset + 2]);
    noTerminator.replace(entryOffset + 4 + basicSize - 2, 2, "xx");
    FixHeaderCrc(noTerminator, entryOffset);
    EXPECT_EQ(OpenError(noTerminator), ArjErrorCode::kBadHeader);

    std::string tooLarge = good;  // basic header size over 2600
    tooLarge[entryOffset + 2] = '\x29';
    tooLarge[entryOffset + 3] = '\x0A';
    EXPECT_EQ(OpenError(tooLarge), ArjErrorCode::kBadHeader);

    std::string shortFixedPart = good;  // first header size below 30
    shortFixedPart[entryOffset + 4] = 10;
    FixHeaderCrc(shortFixedPart, entryOffset);
    EXPECT_EQ(OpenError(shortFixedPart), ArjErrorCode::kBadHeader);
}

TEST(ArjDamage, StoredEntryShorterThanItsOriginalSizeIsCorrupt)
{
    BuiltEntry entry = StoredEntry("a.txt", "alpha");
    entry.originalSize = 50;
    EXPECT_EQ(ExtractError(BuildArchive({entry}), "a.txt"), ArjErrorCode::kCorruptData);
}

TEST(ArjExtraction, SinkCanStopAndNothingFollows)
{
    const ArjReader reader(Fixture("m1.arj"));
    const ArjEntry &big = *FindEntry(reader, "src/big.txt");
    int calls = 0;
    std::size_t bytes = 0;
    const bool complete = reader.extract(big, [&](const char *, std::size_t size) {
        ++calls;
        bytes += size;
        return false;
    });
    EXPECT_FALSE(complete);
    EXPECT_EQ(calls, 1);
    EXPECT_LT(bytes, big.originalSize);
}

TEST(ArjExtraction, ExtendedHeadersAreCheckedAndKept)
{
    std::string bytes = BuildArchive({StoredEntry("a.txt", "alpha")});
    const std::size_t entryOffset = ArjReader(MakeArjMemorySource(bytes)).entries()[0].headerOffset;
    const std::size_t basicSize = static_cast<unsigned char>(bytes[entryOffset + 2]);
    const std::size_t chainAt = entryOffset + 4 + basicSize + 4;
    std::string ext;
    PutLe16(ext, 3);
    ext += "EXT";
    PutLe32(ext, ComputeCrc32("EXT", 3));
    bytes.insert(chainAt, ext);

    const ArjReader reader(MakeArjMemorySource(bytes));
    ASSERT_EQ(reader.entries()[0].extendedHeaders, std::vector<std::string>{"EXT"});
    EXPECT_EQ(ExtractToString(reader, reader.entries()[0]), "alpha");

    bytes[chainAt + 3] ^= 0x01;  // damage the extended header's body
    EXPECT_EQ(OpenError(bytes), ArjErrorCode::kHeaderCrc);
}

}  // namespace
}  // namespace zr::arj::test
