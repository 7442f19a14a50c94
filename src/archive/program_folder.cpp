#include "archive/program_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

namespace zr::archive {

std::string ProgramFolder() {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return {};
    return exe.parent_path().string();
}

std::string PrivateTempFolder() {
    const char *tmp = std::getenv("TMPDIR");
    std::string base = (tmp && *tmp) ? tmp : "/tmp";
    const std::string folder = base + "/zurivo-" + std::to_string(getuid());
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return {};
    struct stat st {};
    // lstat: a symbolic link planted by another user is refused, not followed.
    if (lstat(folder.c_str(), &st) != 0) return {};
    if (!S_ISDIR(st.st_mode) || st.st_uid != getuid() || (st.st_mode & 077) != 0) return {};
    return folder;
}

std::string DefaultResponseFileName() {
    const std::string programFolder = ProgramFolder();
    if (!programFolder.empty() && access(programFolder.c_str(), W_OK) == 0) return programFolder + "/Response.txt";
    const std::string temp = PrivateTempFolder();
    if (temp.empty()) return {};
    return temp + "/Response.txt";
}

}  // namespace zr::archive
