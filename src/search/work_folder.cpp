#include "search/work_folder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <vector>

#include "platform/temp_folder.h"
#include "search/search_errors.h"
#include "util/file_queries.h"
#include "util/folder_delete.h"
#include "util/path_names.h"

namespace zr::search {
namespace {

[[noreturn]] void ThrowCannotCreate(const std::string &folder, const std::string &reason)
{
    throw ETempError("作業フォルダが作成できません。フォルダ名 = " + folder + "（" + reason + "）");
}

[[noreturn]] void ThrowCannotCreate(const std::string &folder, int error)
{
    ThrowCannotCreate(folder, std::strerror(error));
}

// The private temporary folder, or an error naming the folder and why it
// cannot be used.
std::string SafeTempFolder()
{
    const platform::TempFolderResult temp = platform::PrivateTempFolder();
    if (!temp.Ok())
        ThrowCannotCreate(AppendPathSeparator(temp.path) + kWorkFolderName, temp.error);
    return temp.path;
}

void MakeFolder(const std::string &folder)
{
    if (::mkdir(folder.c_str(), 0700) != 0 && !(errno == EEXIST && FolderExists(folder)))
        ThrowCannotCreate(folder, errno == EEXIST ? ENOTDIR : errno);
}

// A window keeps its work folder's owner file open and locked while it
// runs: a second window (another settings file, the same temporary folder)
// takes the next free folder, and a folder whose lock nobody holds was left
// by a window that ended or was killed. The lock ends with the process, so a
// reused process id never keeps a folder alive.
constexpr const char *kOwnerFileName = "~OWNER";
constexpr int kMaxWindowFolders = 64;

struct Claim {
    std::string base;
    std::string folder;
};

std::mutex g_claimsMutex;
std::vector<Claim> g_claims;  // folders this process holds, their locks open for its lifetime

std::string BaseFolder(const RunSettings &settings)
{
    return FolderExists(settings.workPath) ? settings.workPath : SafeTempFolder();
}

std::string CandidateName(const std::string &base, int index)
{
    std::string name = AppendPathSeparator(base) + kWorkFolderName;
    return index == 1 ? name : name + std::to_string(index);
}

// A real folder of this user (a link or another user's folder is passed over).
bool IsOwnFolder(const std::string &folder)
{
    struct stat info {};
    return ::lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::getuid();
}

// Removes what a previous owner left, except the owner file that carries the lock.
void EmptyExceptOwnerFile(const std::string &folder)
{
    std::error_code ec;
    for (const auto &entry : std::filesystem::directory_iterator(folder, ec))
        if (entry.path().filename() != kOwnerFileName)
            DeleteFileOrFolder(entry.path().string());
}

// Takes `folder` when no live window holds it; false when one does.
bool TryClaim(const std::string &folder)
{
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        ThrowCannotCreate(folder, errno);
    if (!IsOwnFolder(folder))
        return false;
    const std::string ownerFile = AppendPathSeparator(folder) + kOwnerFileName;
    const int fd = ::open(ownerFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        ThrowCannotCreate(folder, errno);
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    EmptyExceptOwnerFile(folder);
    const std::string pid = std::to_string(::getpid()) + "\n";  // for people looking at the folder
    if (::ftruncate(fd, 0) == 0 && ::pwrite(fd, pid.data(), pid.size(), 0) < 0) {
        // the lock is what counts; the note is a courtesy
    }
    return true;  // fd stays open: the lock lives as long as this process
}

std::string ClaimIn(const std::string &base)
{
    std::lock_guard lock(g_claimsMutex);
    for (const Claim &claim : g_claims)
        if (claim.base == base && FolderExists(claim.folder))
            return claim.folder;
    for (int index = 1; index <= kMaxWindowFolders; ++index) {
        const std::string folder = CandidateName(base, index);
        if (TryClaim(folder)) {
            g_claims.push_back({base, folder});
            return folder;
        }
    }
    ThrowCannotCreate(CandidateName(base, kMaxWindowFolders), EBUSY);
}

}  // namespace

std::string GetWorkFolder(const RunSettings &settings) { return ClaimIn(BaseFolder(settings)); }

std::string ClaimWorkFolder(const RunSettings &settings) { return ClaimIn(BaseFolder(settings)); }

bool IsWorkFolderInUse(const std::string &folder)
{
    const int fd =
        ::open((AppendPathSeparator(folder) + kOwnerFileName).c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    const bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
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
        ThrowCannotCreate(name, errno);
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
