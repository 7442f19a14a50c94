#pragma once
// Per-test temporary folder and registry database.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

namespace zr::testing {

class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "zr-test-XXXXXX").string();
        if (char *made = ::mkdtemp(pattern.data())) path_ = made;
    }
    ~TempFolder()
    {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder &) = delete;
    TempFolder &operator=(const TempFolder &) = delete;

    const std::filesystem::path &Path() const { return path_; }
    std::string File(const std::string &name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// Points $ZURIVO_REGISTRY at a fresh database file for the test's lifetime.
class TempRegistry {
public:
    TempRegistry() : path_(folder_.File("registry.sqlite3"))
    {
        const char *old = std::getenv("ZURIVO_REGISTRY");
        hadOld_ = old != nullptr;
        if (old) old_ = old;
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
