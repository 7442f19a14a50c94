// Fixed-seed mutations of real archives: the reader must end every case in
// success or an ArjError, never crash, hang, or emit more than declared.
#include <gtest/gtest.h>

#include <random>

#include "arj_archive_builder.h"
#include "arj_test_support.h"

namespace zr::arj::test {
namespace {

// Opens and extracts everything; anything but an ArjError escapes to the test.
void ReadEverything(const std::string &bytes)
{
    std::unique_ptr<ArjReader> reader;
    try {
        reader = std::make_unique<ArjReader>(MakeArjMemorySource(bytes));
    } catch (const ArjError &) {
        return;
    }
    for (const ArjEntry &entry : reader->entries()) {
        std::uint64_t produced = 0;
        try {
            reader->extract(entry, [&produced](const char *, std::size_t size) {
                produced += size;
                return true;
            });
        } catch (const ArjError &) {
        }
        ASSERT_LE(produced, entry.originalSize) << entry.name;
    }
}

class ArjFuzz : public ::testing::TestWithParam<const char *> {};

TEST_P(ArjFuzz, RandomByteDamageNeverEscapesAsAnythingButArjError)
{
    const std::string original = ReadBytes(Fixture(GetParam()));
    std::mt19937 random(20240506);
    for (int round = 0; round < 80; ++round) {
        std::string bytes = original;
        const int hits = 1 + static_cast<int>(random() % 8);
        for (int i = 0; i < hits; ++i)
            bytes[random() % bytes.size()] = static_cast<char>(random());
        ASSERT_NO_FATAL_FAILURE(ReadEverything(bytes)) << "round " << round;
    }
}

TEST_P(ArjFuzz, HeaderFieldDamageWithValidCrcsIsHandled)
{
    const std::string original = ReadBytes(Fixture(GetParam()));
    const ArjReader intact(MakeArjMemorySource(original));
    std::vector<std::uint64_t> headers;
    for (const ArjEntry &e : intact.entries())
        headers.push_back(e.headerOffset);
    std::mt19937 random(7);
    for (int round = 0; round < 100; ++round) {
        std::string bytes = original;
        const std::size_t header = headers[random() % headers.size()];
        bytes[header + 4 + random() % 30] = static_cast<char>(random());  // a fixed-part field
        FixHeaderCrc(bytes, header);
        ASSERT_NO_FATAL_FAILURE(ReadEverything(bytes)) << "round " << round;
    }
}

TEST_P(ArjFuzz, CompressedStreamDamageIsHandled)
{
    const std::string original = ReadBytes(Fixture(GetParam()));
    const ArjEntry big = *FindEntry(ArjReader(MakeArjMemorySource(original)), "src/big.txt");
    std::mt19937 random(99);
    for (int round = 0; round < 80; ++round) {
        std::string bytes = original;
        const std::size_t at = big.dataOffset + random() % big.compressedSize;
        bytes[at] = static_cast<char>(bytes[at] ^ (1u << (random() % 8)));
        ASSERT_NO_FATAL_FAILURE(ReadEverything(bytes)) << "round " << round;
    }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, ArjFuzz, ::testing::Values("m0.arj", "m1.arj", "m3.arj", "m4.arj"));

}  // namespace
}  // namespace zr::arj::test
