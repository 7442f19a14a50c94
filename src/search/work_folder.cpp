#include "search/work_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
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

}  // namespace

std::string GetWorkFolder(const RunSettings &settings)
{
    const std::string base = FolderExists(settings.workPath) ? settings.workPath : SafeTempFolder();
    const std::string work = AppendPathSeparator(base) + kWorkFolderName;
    if (!FolderExists(work))
        MakeFolder(work);
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
