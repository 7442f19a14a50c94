#pragma once
// Helpers shared by the archive tests: private temporary folders, files,
// and the scriptable stand-in libraries.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "archive/archiver_binding.h"
#include "archive/archiver_library.h"
#include "platform/program_folder.h"
#include "stubs/stub_state.h"
#include "test_support/scratch_folder.h"

namespace zr::archive::test {

using TempDir = zr::test::ScratchFolder;

inline void WriteFile(const std::string &path, const std::string &content)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

inline std::string ReadFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline std::string BinDir()
{
    const char *dir = std::getenv("ZR_BIN_DIR");
    return (dir && *dir) ? dir : platform::ProgramFolder();
}

inline std::string StubDir() { return BinDir() + "/archive-stubs"; }

inline std::string SourceDir()
{
    const char *dir = std::getenv("ZR_SOURCE_DIR");
    return (dir && *dir) ? dir : std::string();
}

// The state of the stand-in library behind a binding (loaded on demand).
inline StubState *StubFor(TArchiverBinding &binding)
{
    if (!binding.Library().Load())
        return nullptr;
    const std::string path = LibraryFolder() + "/" + SharedObjectName(binding.Library().FileName());
    void *handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!handle)
        return nullptr;
    auto get = reinterpret_cast<StubState *(*)()>(dlsym(handle, "StubGetState"));
    auto reset = reinterpret_cast<void (*)()>(dlsym(handle, "StubReset"));
    dlclose(handle);
    if (!get)
        return nullptr;
    (void)reset;
    return get();
}

inline StubState *Stub(TArchiveType type) { return StubFor(*BindingFor(type)); }

inline void ResetStub(TArchiverBinding &binding)
{
    if (!binding.Library().Load())
        return;
    const std::string path = LibraryFolder() + "/" + SharedObjectName(binding.Library().FileName());
    void *handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!handle)
        return;
    if (auto reset = reinterpret_cast<void (*)()>(dlsym(handle, "StubReset")))
        reset();
    dlclose(handle);
}

// Every test starts from freshly loaded stand-ins in a folder of its own
// choosing (by default the complete stub folder).
class StubLibraryTest : public ::testing::Test {
protected:
    void SetUp() override { UseLibraryFolder(StubDir()); }
    void TearDown() override
    {
        FreeAllArchiverLibraries();
        SetLibraryFolder({});
    }
    void UseLibraryFolder(const std::string &folder)
    {
        FreeAllArchiverLibraries();
        SetLibraryFolder(folder);
        for (TArchiveType t : {atLha, atCab, atTar, atArj, atRar, atZip})
            ResetStub(*BindingFor(t));
        ResetStub(ZipWriterBinding());
    }
    // A folder holding links to every stand-in except the named shared objects.
    std::string StubFolderWithout(std::initializer_list<std::string> missing)
    {
        for (const auto &entry : std::filesystem::directory_iterator(StubDir())) {
            const std::string name = entry.path().filename().string();
            bool skip = false;
            for (const std::string &m : missing)
                skip = skip || name == m;
            if (!skip)
                std::filesystem::create_symlink(entry.path(), partialStubs_.File(name));
        }
        return partialStubs_.Path();
    }
    void SetEntries(TArchiveType type, const std::string &names)
    {
        StubState *s = Stub(type);
        ASSERT_NE(s, nullptr);
        std::snprintf(s->entries, sizeof s->entries, "%s", names.c_str());
    }

    TempDir dir_;
    TempDir partialStubs_;
};

}  // namespace zr::archive::test
