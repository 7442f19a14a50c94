#include "search/work_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "search/search_errors.h"
#include "util/file_queries.h"
#include "util/folder_delete.h"
#include "util/path_names.h"
#include "util/temp_folder.h"

namespace zr::search {
namespace {

[[noreturn]] void ThrowCannotCreate(const std::string &folder)
{
    throw ETempError("作業フォルダが作成できません。フォルダ名 = " + folder);
}

// The private temporary folder, or an error naming what could not be used.
std::string SafeTempFolder()
{
    const std::string temp = TempFolder();
    if (temp.empty())
        ThrowCannotCreate(kWorkFolderName);
    return temp;
}

void MakeFolder(const std::string &folder)
{
    if (::mkdir(folder.c_str(), 0700) != 0 && !(errno == EEXIST && FolderExists(folder)))
        ThrowCannotCreate(folder);
}

// Names the process that uses the work folder; a killed window leaves it.
constexpr const char *kOwnerFileName = "~OWNER";

std::string WorkFolderPath(const RunSettings &settings)
{
    const std::string base = FolderExists(settings.workPath) ? settings.workPath : SafeTempFolder();
    return AppendPathSeparator(base) + kWorkFolderName;
}

pid_t RecordedOwner(const std::string &work)
{
    std::ifstream in(AppendPathSeparator(work) + kOwnerFileName);
    long pid = 0;
    return (in >> pid) && pid > 0 ? static_cast<pid_t>(pid) : 0;
}

bool IsRunning(pid_t pid) { return pid == ::getpid() || ::kill(pid, 0) == 0 || errno == EPERM; }

// A real folder of this user whose owner is gone (or was never noted).
bool IsLeftBehind(const std::string &work)
{
    struct stat info {};
    if (::lstat(work.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid())
        return false;
    const pid_t owner = RecordedOwner(work);
    return owner == 0 || !IsRunning(owner);
}

}  // namespace

std::string GetWorkFolder(const RunSettings &settings)
{
    const std::string work = WorkFolderPath(settings);
    if (!FolderExists(work))
        MakeFolder(work);
    return work;
}

std::string ClaimWorkFolder(const RunSettings &settings)
{
    const std::string work = WorkFolderPath(settings);
    if (IsLeftBehind(work))
        DeleteFolderTree(work, true);
    if (!FolderExists(work))
        MakeFolder(work);
    if (RecordedOwner(work) == 0) {
        std::ofstream out(AppendPathSeparator(work) + kOwnerFileName, std::ios::trunc);
        out << ::getpid() << '\n';
    }
    return work;
}

std::string ExtractFolderName(const std::string &workFolder)
{
    return AppendPathSeparator(workFolder) + kExtractFolderName;
}

void PrepareExtractFolder(const std::string &extractFolder)
{
    if (FolderExists(extractFolder))
        DeleteFolderTree(extractFolder, false);
    else
        MakeFolder(extractFolder);
}

ProcessWorkFolder::ProcessWorkFolder()
{
    std::string name = SafeTempFolder() + "/zrgrep-" + std::to_string(::getpid()) + "-XXXXXX";
    std::vector<char> buffer(name.begin(), name.end());
    buffer.push_back('\0');
    if (!::mkdtemp(buffer.data()))
        ThrowCannotCreate(name);
    path_ = buffer.data();
}

ProcessWorkFolder::~ProcessWorkFolder() { Remove(); }

void ProcessWorkFolder::Remove()
{
    if (path_.empty())
        return;
    DeleteFolderTree(path_, true);
    path_.clear();
}

}  // namespace zr::search
