#include "fuzz_scratch.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace zr::fuzz {

namespace {

void RemoveRoot()
{
    std::error_code ignored;
    fs::remove_all(ScratchRoot(), ignored);
}

}  // namespace

const std::string &ScratchRoot()
{
    // Never destroyed: the exit handler that removes the folder runs after
    // the destructors of statics made before it was registered.
    static const std::string *const root = [] {
        const char *tmp = std::getenv("TMPDIR");
        auto *pattern = new std::string(std::string(tmp && *tmp ? tmp : "/tmp") + "/zrfuzz-XXXXXX");
        if (!mkdtemp(pattern->data())) {
            std::perror("mkdtemp");
            std::abort();
        }
        std::atexit(RemoveRoot);
        return pattern;
    }();
    return *root;
}

std::string WriteScratchFile(const std::string &name, std::string_view bytes)
{
    const std::string path = ScratchRoot() + "/" + name;
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::abort();
    }
    return path;
}

void EmptyFolder(const std::string &folder)
{
    std::error_code ec;
    for (const auto &entry : fs::directory_iterator(folder, ec)) {
        std::error_code ignored;
        // Extracted folders may lack the owner's write or search bit.
        fs::permissions(entry.path(), fs::perms::owner_all,
                        fs::perm_options::add | fs::perm_options::nofollow, ignored);
        fs::remove_all(entry.path(), ignored);
    }
}

std::vector<std::string> ListTree(const std::string &folder)
{
    std::vector<std::string> out;
    std::error_code ec;
    fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        std::error_code statusError;
        const fs::file_status status = it->symlink_status(statusError);
        char kind = 'o';
        if (statusError == std::errc::filename_too_long)
            kind = '?';  // a stored folder chain deeper than a path can name
        else if (fs::is_symlink(status))
            kind = 'l';
        else if (fs::is_regular_file(status))
            kind = 'f';
        else if (fs::is_directory(status))
            kind = 'd';
        // Lexically: the walk gives paths below `folder`, and a canonical form
        // fails (throws) once a deep stored path passes PATH_MAX.
        out.push_back(it->path().lexically_relative(folder).string() + " " + kind);
    }
    std::sort(out.begin(), out.end());
    return out;
}

}  // namespace zr::fuzz
