#include "archive/archiver_library.h"

#include <dlfcn.h>

#include <mutex>

#include "platform/program_folder.h"
#include "util/dbcs.h"
#include "util/file_queries.h"
#include "util/path_names.h"

namespace zr::archive {
namespace {

std::mutex &FolderMutex()
{
    static std::mutex m;
    return m;
}

std::string &FolderOverride()
{
    static std::string folder;
    return folder;
}

}  // namespace

std::string SharedObjectName(std::string_view libraryFileName)
{
    // A '-' is unusual in a shared object's name: the 7z library ships as lib7z32.so.
    if (LowerAscii(libraryFileName) == "7-zip32.dll")
        return "lib7z32.so";
    std::string_view base = libraryFileName;
    if (base.size() >= 4 && LowerAscii(base.substr(base.size() - 4)) == ".dll")
        base.remove_suffix(4);
    return "lib" + std::string(base) + ".so";
}

std::string LibraryFolder()
{
    {
        std::lock_guard lock(FolderMutex());
        if (!FolderOverride().empty())
            return FolderOverride();
    }
    return platform::ProgramFolder();
}

void SetLibraryFolder(std::string folder)
{
    std::lock_guard lock(FolderMutex());
    FolderOverride() = std::move(folder);
}

void *OpenArchiverSharedObject(const std::string &libraryFileName)
{
    const std::string soName = SharedObjectName(libraryFileName);
    const std::string folder = LibraryFolder();
    if (!folder.empty()) {
        const std::string candidate = AppendPathSeparator(folder) + soName;
        if (FileExistsQuiet(candidate)) {
            if (void *handle = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL))
                return handle;
        }
    }
    return dlopen(soName.c_str(), RTLD_NOW | RTLD_LOCAL);
}

TArchiverLibrary::TArchiverLibrary(std::string fileName, std::string preloadFileName)
    : fileName_(std::move(fileName)), preloadFileName_(std::move(preloadFileName))
{
}

TArchiverLibrary::~TArchiverLibrary() { Free(); }

bool TArchiverLibrary::Load()
{
    if (handle_)
        return true;
    if (!preloadFileName_.empty()) {
        // The reading library depends on its companion; without it the type counts as missing.
        void *companion = OpenArchiverSharedObject(preloadFileName_);
        if (!companion)
            return false;
        dlclose(companion);
    }
    handle_ = OpenArchiverSharedObject(fileName_);
    return handle_ != nullptr;
}

void TArchiverLibrary::Free()
{
    if (!handle_)
        return;
    dlclose(handle_);
    handle_ = nullptr;
}

void *TArchiverLibrary::Export(const std::string &name)
{
    if (!Load())
        return nullptr;
    return dlsym(handle_, name.c_str());
}

}  // namespace zr::archive
