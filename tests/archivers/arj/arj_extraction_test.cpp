#include <gtest/gtest.h>

#include "arj_test_support.h"

namespace zr::arj::test {
namespace {

class MethodExtraction : public ::testing::TestWithParam<int> {};

TEST_P(MethodExtraction, EveryFileMatchesItsSourceByteForByte)
{
    const ArjReader reader(Fixture("m" + std::to_string(GetParam()) + ".arj"));
    int files = 0;
    for (const ArjEntry &entry : reader.entries()) {
        if (!entry.hasData())
            continue;
        SCOPED_TRACE(entry.name);
        // arj stores files that do not shrink, whatever the method asked for.
        if (entry.originalSize > 50000) {
            EXPECT_EQ(entry.method, GetParam());
        }
        EXPECT_EQ(ExtractToString(reader, entry), ReadBytes(FixtureDir() / entry.name));
        ++files;
    }
    EXPECT_EQ(files, 6);
}

INSTANTIATE_TEST_SUITE_P(AllMethods, MethodExtraction, ::testing::Values(0, 1, 2, 3, 4));

}  // namespace
}  // namespace zr::arj::test
