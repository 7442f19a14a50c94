#pragma once
// One slot per archiver library file. A slot loads its shared object on first
// use and keeps only the module handle; exports are looked up by name on
// every call, so a library replaced between runs of a command is never
// called through a stale address.

#include <string>
#include <string_view>

namespace zr::archive {

// "Unlha32.dll" -> "libUnlha32.so"; "7-zip32.dll" -> "lib7z32.so".
std::string SharedObjectName(std::string_view libraryFileName);

// Folder searched before the standard search order: the folder set by
// SetLibraryFolder when not empty (tests), else the program's folder.
std::string LibraryFolder();
void SetLibraryFolder(std::string folder);

class TArchiverLibrary {
public:
    // preloadFileName: a library that must load (and is freed at once) before
    // this one may be loaded; empty for none.
    explicit TArchiverLibrary(std::string fileName, std::string preloadFileName = {});
    ~TArchiverLibrary();
    TArchiverLibrary(const TArchiverLibrary &) = delete;
    TArchiverLibrary &operator=(const TArchiverLibrary &) = delete;

    const std::string &FileName() const { return fileName_; }
    bool IsLoaded() const { return handle_ != nullptr; }

    // Loads on first use; false when the library (or its pre-load) is missing.
    bool Load();
    void Free();
    // Null when the library or the export is missing.
    void *Export(const std::string &name);

private:
    std::string fileName_;
    std::string preloadFileName_;
    void *handle_ = nullptr;
};

// Opens "lib<name>.so" from LibraryFolder(), then through the standard
// search order; null when neither works.
void *OpenArchiverSharedObject(const std::string &libraryFileName);

}  // namespace zr::archive
