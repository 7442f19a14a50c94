#include "util/file_queries.h"

#include "util/path_names.h"

#include <cstdlib>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace zr {

namespace {
bool StatPath(const std::string &path, struct stat &st) { return !path.empty() && ::stat(path.c_str(), &st) == 0; }

bool IsExecutableFile(const std::string &path)
{
    struct stat st {};
    return StatPath(path, st) && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

std::string ProgramFolder()
{
    std::vector<char> buf(4096);
    const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size() - 1);
    if (n <= 0)
        return {};
    const std::string exe(buf.data(), static_cast<std::size_t>(n));
    const std::size_t slash = exe.rfind('/');
    return slash == std::string::npos ? std::string() : exe.substr(0, slash);
}
}  // namespace

bool FolderExists(const std::string &path)
{
    struct stat st {};
    return StatPath(path, st) && S_ISDIR(st.st_mode);
}

bool FileExistsQuiet(const std::string &path)
{
    struct stat st {};
    return StatPath(path, st) && !S_ISDIR(st.st_mode);
}

std::uint32_t FileAttributesOrZero(const std::string &path)
{
    struct stat st {};
    if (!StatPath(path, st))
        return 0;
    std::uint32_t attrs = 0;
    if (S_ISDIR(st.st_mode))
        attrs |= faDirectory;
    if ((st.st_mode & S_IWUSR) == 0)
        attrs |= faReadOnly;
    const std::string name = FileNamePart(StripPathSeparator(path));
    if (!name.empty() && name[0] == '.' && name != "." && name != "..")
        attrs |= faHidden;
    return attrs == 0 ? faNormal : attrs;
}

std::uint64_t FileSizeOf(const std::string &path)
{
    struct stat st {};
    if (!StatPath(path, st) || S_ISDIR(st.st_mode))
        return 0;
    return static_cast<std::uint64_t>(st.st_size);
}

bool IsEmptyFile(const std::string &path) { return FileExistsQuiet(path) && FileSizeOf(path) == 0; }

std::string FindOnSearchPath(const std::string &fileName)
{
    if (fileName.empty())
        return {};
    if (fileName.find('/') != std::string::npos)
        return IsExecutableFile(fileName) ? fileName : std::string();
    std::vector<std::string> folders{ProgramFolder()};
    const char *envPath = std::getenv("PATH");
    std::string_view rest = envPath ? envPath : "";
    while (!rest.empty()) {
        const std::size_t colon = rest.find(':');
        folders.emplace_back(rest.substr(0, colon));
        rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
    }
    for (const std::string &folder : folders) {
        if (folder.empty() || folder[0] != '/')
            continue;  // relative PATH entries would depend on the current folder
        const std::string candidate = AppendPathSeparator(folder) + fileName;
        if (IsExecutableFile(candidate))
            return candidate;
    }
    return {};
}

void ClearProtectiveAttributes(const std::string &path)
{
    struct stat st {};
    if (path.empty() || ::lstat(path.c_str(), &st) != 0 || S_ISLNK(st.st_mode))
        return;
    const mode_t wanted = S_ISDIR(st.st_mode) ? (S_IRWXU) : (S_IRUSR | S_IWUSR);
    if ((st.st_mode & wanted) != wanted)
        ::chmod(path.c_str(), (st.st_mode & 07777) | wanted);
}

}  // namespace zr
