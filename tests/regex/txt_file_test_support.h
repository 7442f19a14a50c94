#pragma once
// Temporary folders and CP932 helpers shared by the text-reader tests.

#include "platform/codepage.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace zr::test {

// A fresh folder per test, removed with everything in it afterwards.
class TempFolder {
public:
    TempFolder()
    {
        std::string templ = (std::filesystem::temp_directory_path() / "zr-regex-XXXXXX").string();
        if (!::mkdtemp(templ.data()))
            throw std::runtime_error("mkdtemp failed");
        path_ = templ;
    }
    ~TempFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder &) = delete;
    TempFolder &operator=(const TempFolder &) = delete;

    const std::filesystem::path &Path() const { return path_; }

    std::string Write(const std::string &name, const std::string &bytes) const
    {
        const auto file = path_ / name;
        std::ofstream out(file, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return file.string();
    }

private:
    std::filesystem::path path_;
};

// Test texts are written in UTF-8 and searched as CP932.
inline std::string Sjis(const std::string &utf8)
{
    platform::ConversionResult converted = platform::Utf8ToCp932(utf8);
    EXPECT_TRUE(converted.ok) << utf8;
    return converted.text;
}

}  // namespace zr::test
