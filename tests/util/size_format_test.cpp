#include "util/size_format.h"

#include <gtest/gtest.h>

using namespace zr;

TEST(GroupedNumber, ThousandsWithCommas)
{
    EXPECT_EQ(GroupedNumber(0), "0");
    EXPECT_EQ(GroupedNumber(999), "999");
    EXPECT_EQ(GroupedNumber(1000), "1,000");
    EXPECT_EQ(GroupedNumber(1234567), "1,234,567");
    EXPECT_EQ(GroupedNumber(123456789012.0), "123,456,789,012");
    EXPECT_EQ(GroupedNumber(2.5), "3");
    EXPECT_EQ(GroupedNumber(-1234), "-1,234");
}

TEST(SizeText, UnitsAndThresholds)
{
    EXPECT_EQ(SizeText(false, 1536), "1.50 KB");
    EXPECT_EQ(SizeText(false, 1048064), "1023.50 KB");
    EXPECT_EQ(SizeText(false, 1049088), "1024.50 KB");  // the threshold is 1025, not 1024
    EXPECT_EQ(SizeText(false, 1049600), "1.00 MB");
    EXPECT_EQ(SizeText(false, 1.5 * 1024 * 1024 * 1024), "1.50 GB");
    EXPECT_EQ(SizeText(false, 0), "0.00 KB");
}

TEST(SizeText, TruncationCutsInsteadOfRounding)
{
    EXPECT_EQ(SizeText(true, 1535), "1.49 KB");
    EXPECT_EQ(SizeText(false, 1535), "1.50 KB");
    EXPECT_EQ(SizeText(true, 1048575), "1023.99 KB");
    EXPECT_EQ(SizeWithBytesText(false, 1536), "1.50 KB (1,536 バイト)");
}
