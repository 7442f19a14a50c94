#pragma once
// Per-test temporary folder and registry database.

#include "test_support/scratch_folder.h"

#include <cstdlib>
#include <fstream>
#include <string>

namespace zr::testing {

using TempFolder = zr::test::ScratchFolder;

// Points $ZURIVO_REGISTRY at a fresh database file for the test's lifetime.
class TempRegistry {
public:
    TempRegistry() : path_(folder_.File("registry.sqlite3"))
    {
        const char *old = std::getenv("ZURIVO_REGISTRY");
        hadOld_ = old != nullptr;
        if (old)
            old_ = old;
        ::setenv("ZURIVO_REGISTRY", path_.c_str(), 1);
    }
    ~TempRegistry()
    {
        if (hadOld_)
            ::setenv("ZURIVO_REGISTRY", old_.c_str(), 1);
        else
            ::unsetenv("ZURIVO_REGISTRY");
    }
    TempRegistry(const TempRegistry &) = delete;
    TempRegistry &operator=(const TempRegistry &) = delete;

    const std::string &Path() const { return path_; }
    const TempFolder &Folder() const { return folder_; }

private:
    TempFolder folder_;
    std::string path_;
    std::string old_;
    bool hadOld_ = false;
};

inline void WriteFileBytes(const std::string &path, const std::string &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

inline std::string ReadFileBytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace zr::testing
