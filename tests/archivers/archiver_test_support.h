#pragma once
// Helpers for the archiver-library tests: each library is loaded with
// dlopen from $ZR_BIN_DIR and called only through its C exports.

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "archivers/archiver_api.h"

namespace zr::archivers::test {

namespace fs = std::filesystem;

class ArchiverLibrary {
public:
    ArchiverLibrary(const std::string &fileName, std::string prefix);
    ~ArchiverLibrary();
    ArchiverLibrary(const ArchiverLibrary &) = delete;
    ArchiverLibrary &operator=(const ArchiverLibrary &) = delete;

    bool loaded() const { return handle_ != nullptr; }
    void *symbol(const std::string &suffix) const;

    template <typename Fn> Fn fn(const std::string &suffix) const
    {
        return reinterpret_cast<Fn>(symbol(suffix));
    }

    int command(const std::string &commandLine, std::string *log = nullptr) const;
    int check(const std::string &file, int mode = 1) const;
    int count(const std::string &file) const;
    std::vector<TIndividualInfo> list(const std::string &file, const std::string &wildcards = "*",
                                      std::uint32_t mode = 2) const;

private:
    void *handle_ = nullptr;
    std::string prefix_;
};

// A fresh folder removed at the end of the test.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const fs::path &path() const { return path_; }
    std::string str() const { return path_.string(); }

private:
    fs::path path_;
};

std::string FixturePath(const std::string &name);
std::string SharedFixture(const std::string &relative);  // empty when absent
std::string ReadFile(const fs::path &path);
void WriteFile(const fs::path &path, const std::string &bytes);

// Member contents of the committed fixtures (see make-fixtures.sh).
std::string HelloText();
std::string NumbersText();
std::string RepeatText();

// "x"-style command pieces: quoted archive, quoted destination with a trailing "/".
std::string Quote(const std::string &text);

// An executable stub: "MZ", a PE header reference when `pe`, then filler up to `size`.
std::string ExecutableStub(std::size_t size, bool pe);
// Writes stub + archive bytes as a self-extractor into `folder`.
std::string MakeSelfExtractor(const fs::path &folder, const std::string &archive, std::size_t stubSize,
                              bool pe = true);

// Names of the listed records in order.
std::vector<std::string> Names(const std::vector<TIndividualInfo> &records);

// Every regular file below `root`, relative names to contents.
std::map<std::string, std::string> FilesBelow(const fs::path &root);

}  // namespace zr::archivers::test
