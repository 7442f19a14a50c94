#pragma once
// Shared helpers of the ARJ reader tests: fixture paths, whole-file reads,
// extraction into memory and private temporary folders.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "archivers/arj/arj_reader.h"

namespace zr::arj::test {

inline std::filesystem::path FixtureDir()
{
    const char *root = std::getenv("ZR_SOURCE_DIR");
    return std::filesystem::path(root ? root : ".") / "tests/archivers/arj/fixtures";
}

inline std::string Fixture(const std::string &name) { return (FixtureDir() / name).string(); }

inline std::string ReadBytes(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

inline void WriteBytes(const std::filesystem::path &path, const std::string &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ExtractToString(const ArjReader &reader, const ArjEntry &entry)
{
    std::string out;
    reader.extract(entry, [&out](const char *data, std::size_t size) {
        out.append(data, size);
        return true;
    });
    return out;
}

inline const ArjEntry *FindEntry(const ArjReader &reader, const std::string &name)
{
    for (const ArjEntry &e : reader.entries()) {
        if (e.name == name)
            return &e;
    }
    return nullptr;
}

// A private folder removed with the object.
class TempDir {
public:
    TempDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "arj_test_XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~TempDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    const std::filesystem::path &path() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace zr::arj::test
