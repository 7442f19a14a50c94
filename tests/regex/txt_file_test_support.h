#pragma once
// Temporary folders and CP932 helpers shared by the text-reader tests.

#include "platform/codepage.h"
#include "test_support/scratch_folder.h"

#include <gtest/gtest.h>

#include <string>

namespace zr::test {

using TempFolder = ScratchFolder;

// Test texts are written in UTF-8 and searched as CP932.
inline std::string Sjis(const std::string &utf8)
{
    platform::ConversionResult converted = platform::Utf8ToCp932(utf8);
    EXPECT_TRUE(converted.ok) << utf8;
    return converted.text;
}

// Table texts are CP932; expectations compare them as UTF-8.
inline std::string Utf8(const std::string &cp932)
{
    platform::ConversionResult converted = platform::Cp932ToUtf8(cp932);
    EXPECT_TRUE(converted.ok);
    return converted.text;
}

}  // namespace zr::test
