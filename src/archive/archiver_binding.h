#pragma once
// Typed calls into one archiver library. Every call has one shape: make sure
// the library is loaded, look the export up by name, call it; a missing
// library or export gives the call's fallback result and never raises.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "archive/archive_records.h"
#include "archive/archive_types.h"
#include "archive/archiver_library.h"

namespace zr::archive {

using ArcHandle = void *;
using WindowHandle = void *;

extern "C" {
// Owner-window callback: (window, message, state, TExtractingInfoEx*).
using ArchiverProc = int (*)(void *window, unsigned int message, unsigned int state, void *info);
}

// Mode values handed to the libraries.
namespace arc_mode {
constexpr int kCheck = 1;
constexpr int kLhaCheckBroken = 5;
constexpr std::uint32_t kListLha = 2;
constexpr std::uint32_t kListLhaBroken = 0x08000002;
constexpr std::uint32_t kListCabTar = 0;
constexpr std::uint32_t kList = 2;
constexpr std::uint32_t kLhaSfxQuery = 0x2201;
constexpr std::uint32_t kLhaSfxQueryBroken = 0x2205;
constexpr std::uint32_t kArjSfxQuery = 0x20002201;
}  // namespace arc_mode

// Answers ZR_ARC_TAKEN, ZR_ARC_WRITE or ZR_ARC_CANCEL for one whole file.
using MemoryTaker = std::function<int(const std::string &relativePath, std::string_view data)>;

// Receives one walk of an archive (see <Prefix>WalkEntries in archiver_api.h).
class TEntryWalker {
public:
    virtual ~TEntryWalker() = default;
    // An entry whose name matches: answers ZR_ARC_WALK_TAKE, _DECLINE or _STOP.
    virtual int Offer(const TIndividualInfo &record, std::string_view fullName, int refusal) = 0;
    // The taken entry's data in order; false stops the walk.
    virtual bool Data(std::string_view bytes) = 0;
    // How the taken entry ended (0 once its check passed).
    virtual void EntryEnd(int result, std::string_view reason) = 0;
    // Asked while data is decompressed only to be skipped; false stops.
    virtual bool KeepGoing() { return true; }
};

class TArchiverBinding {
public:
    TArchiverBinding(TArchiveType type, TArchiverLibrary &library, std::string prefix);

    TArchiveType Type() const { return type_; }
    TArchiverLibrary &Library() { return library_; }
    const std::string &Prefix() const { return prefix_; }

    // Command function: 0 = success, other values passed on; 0x8000 when missing.
    int Command(WindowHandle window, const std::string &commandLine, char *output, std::uint32_t outputSize);
    // The same command with files of at most memoryLimit bytes offered to
    // `take` first (see ZR_ARC_TAKE_FILE); 0x8000 when the library lacks it.
    int CommandToMemory(WindowHandle window, const std::string &commandLine, char *output,
                        std::uint32_t outputSize, std::uint64_t memoryLimit, const MemoryTaker &take);
    bool GetRunning();
    int GetVersion();
    int GetCursorMode();
    int SetCursorMode(int mode);
    bool CheckArchive(const std::string &fileName, int mode);
    int GetFileCount(const std::string &fileName);
    bool SetOwnerWindowEx(WindowHandle window, ArchiverProc callback);
    bool KillOwnerWindowEx(WindowHandle window);
    ArcHandle OpenArchive(WindowHandle window, const std::string &fileName, std::uint32_t mode);
    int FindFirst(ArcHandle archive, const std::string &mask, TIndividualInfo &info);
    int FindNext(ArcHandle archive, TIndividualInfo &info);
    int CloseArchive(ArcHandle archive);
    int IsSFXFile(ArcHandle archive);
    int GetArchiveType(const std::string &fileName);
    // One pass over the archive's entries matching `wildcards`; the walker's
    // exceptions end the walk and are raised again here. kArcNotCalled when
    // the library lacks the export; `message` gets the library's reason.
    int WalkEntries(const std::string &fileName, const std::string &wildcards, std::uint32_t mode,
                    TEntryWalker &walker, std::string *message = nullptr);

    // Check with the library's cursor mode switched off around the call.
    bool CheckArchiveQuietCursor(const std::string &fileName, int mode);

private:
    void *Export(const char *suffix);

    TArchiveType type_;
    TArchiverLibrary &library_;
    std::string prefix_;
};

// Closes an opened archive handle on every path.
class ScopedArchiveHandle {
public:
    ScopedArchiveHandle(TArchiverBinding &binding, ArcHandle handle) : binding_(binding), handle_(handle) {}
    ~ScopedArchiveHandle()
    {
        if (handle_)
            binding_.CloseArchive(handle_);
    }
    ScopedArchiveHandle(const ScopedArchiveHandle &) = delete;
    ScopedArchiveHandle &operator=(const ScopedArchiveHandle &) = delete;
    ArcHandle Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    TArchiverBinding &binding_;
    ArcHandle handle_;
};

// The reading binding of an archive type; null for atNone.
TArchiverBinding *BindingFor(TArchiveType type);
// The Zip writing library (only its GetRunning is used).
TArchiverBinding &ZipWriterBinding();
// The library file name a type's commands go to ("Unzip32.dll" for Zip).
std::string LibraryFileNameFor(TArchiveType type);

// Frees every loaded library; done at program end, and by tests that swap
// the library folder.
void FreeAllArchiverLibraries();

// "1.00" for 100, "0.98" for 98.
std::string CabVersionText(int version);
// The installed Cab library's version text ("0.00" when missing).
std::string CabLibraryVersionText();
// True when the Cab library reads self-extracting executables itself.
bool CabReadsSfxDirectly();

}  // namespace zr::archive
