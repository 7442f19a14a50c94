#include "util/file_queries.h"

#include "platform/program_folder.h"
#include "platform/search_path.h"
#include "util/path_names.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace zr {

namespace {
bool StatPath(const std::string &path, struct stat &st)
{
    return !path.empty() && ::stat(path.c_str(), &st) == 0;
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
    const char *path = std::getenv("PATH");
    return platform::FindExecutableIn(fileName, platform::ProgramFolder() + ":" + (path ? path : ""));
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
