#include "archive/archiver_binding.h"

#include <cstddef>
#include <cstring>
#include <exception>
#include <memory>
#include <type_traits>

#include "archivers/archiver_api.h"

namespace zr::archive {
namespace {

// Export shapes as the libraries declare them.
using CommandFn = ZrArcCommandFn;
using NoArgIntFn = ZrArcGetRunningFn;
using GetVersionFn = ZrArcGetVersionFn;
using IntArgIntFn = ZrArcSetCursorModeFn;
using CheckArchiveFn = ZrArcCheckArchiveFn;
using FileNameIntFn = ZrArcGetFileCountFn;
using SetOwnerWindowExFn = ZrArcSetOwnerWindowExFn;
using KillOwnerWindowExFn = ZrArcKillOwnerWindowExFn;
using OpenArchiveFn = ZrArcOpenArchiveFn;
using FindFirstFn = ZrArcFindFirstFn;
using FindNextFn = ZrArcFindNextFn;
using HandleIntFn = ZrArcCloseArchiveFn;

static_assert(std::is_same_v<ArchiverProc, ARC_CALLBACK>);
static_assert(std::is_same_v<HandleIntFn, ZrArcIsSFXFileFn>);
static_assert(std::is_same_v<FileNameIntFn, ZrArcGetArchiveTypeFn>);
static_assert(sizeof(::TIndividualInfo) == kIndividualInfoSize);
static_assert(offsetof(::TIndividualInfo, szAttribute) == info_offset::kAttribute);
static_assert(offsetof(::TIndividualInfo, szMode) == info_offset::kMethod);
static_assert(offsetof(::TExtractingInfoEx, szSourceFileName) == progress_offset::kSourceName);
static_assert(offsetof(::TExtractingInfoEx, szDestFileName) == progress_offset::kDestName);

template <typename Fn> Fn As(void *symbol) { return reinterpret_cast<Fn>(symbol); }

struct WalkContext {
    TEntryWalker &walker;
    std::exception_ptr failure;
    TIndividualInfo record;
};

// Every callback of a walk holds its exceptions: none may cross the library.
template <typename Call, typename Result> Result Guarded(void *user, Call &&call, Result failed)
{
    auto &c = *static_cast<WalkContext *>(user);
    if (c.failure)
        return failed;
    try {
        return call(c);
    } catch (...) {
        c.failure = std::current_exception();
        return failed;
    }
}

// The library table lives for the whole run; its slots free their modules
// when the program ends.
struct LibraryTable {
    TArchiverLibrary lha{"Unlha32.dll"};
    TArchiverLibrary cab{"cab32.dll"};
    TArchiverLibrary tar{"Tar32.dll"};
    TArchiverLibrary arj{"Unarj32j.dll"};
    TArchiverLibrary rar{"unrar32.dll", "unrar.dll"};
    TArchiverLibrary unzip{"Unzip32.dll"};
    TArchiverLibrary zip{"Zip32j.dll"};
    TArchiverLibrary sevenZip{"7-zip32.dll"};

    TArchiverBinding lhaBinding{atLha, lha, "Unlha"};
    TArchiverBinding cabBinding{atCab, cab, "Cab"};
    TArchiverBinding tarBinding{atTar, tar, "Tar"};
    TArchiverBinding arjBinding{atArj, arj, "Unarj"};
    TArchiverBinding rarBinding{atRar, rar, "Unrar"};
    TArchiverBinding unzipBinding{atZip, unzip, "UnZip"};
    TArchiverBinding zipBinding{atZip, zip, "Zip"};
    TArchiverBinding sevenZipBinding{at7z, sevenZip, "SevenZip"};

    void FreeAll()
    {
        for (TArchiverLibrary *library : {&lha, &cab, &tar, &arj, &rar, &unzip, &zip, &sevenZip})
            library->Free();
    }
};

LibraryTable &Table()
{
    static LibraryTable table;
    return table;
}

bool FreesLibraryOnCommandException(TArchiveType type)
{
    return type == atLha || type == atTar || type == atArj;
}

}  // namespace

TArchiverBinding::TArchiverBinding(TArchiveType type, TArchiverLibrary &library, std::string prefix)
    : type_(type), library_(library), prefix_(std::move(prefix))
{
}

int TArchiverBinding::CommandToMemory(WindowHandle window, const std::string &commandLine, char *output,
                                      std::uint32_t outputSize, std::uint64_t memoryLimit,
                                      const MemoryTaker &take)
{
    auto fn = As<ZrArcExtractToMemoryFn>(Export("ExtractToMemory"));
    if (!fn)
        return kArcNotCalled;
    // The taker's exceptions must not cross the library: they end the command
    // as cancelled and are raised again here.
    struct Context {
        const MemoryTaker &take;
        std::exception_ptr failure;
    } context{take, nullptr};
    const ZR_ARC_TAKE_FILE trampoline = [](void *user, const char *path, const char *data,
                                           std::uint64_t size) -> int {
        auto &c = *static_cast<Context *>(user);
        try {
            return c.take(path, std::string_view(data, static_cast<std::size_t>(size)));
        } catch (...) {
            c.failure = std::current_exception();
            return ZR_ARC_CANCEL;
        }
    };
    int result;
    try {
        result = fn(window, commandLine.c_str(), output, outputSize, memoryLimit, trampoline, &context);
    } catch (...) {
        if (FreesLibraryOnCommandException(type_))
            library_.Free();
        return kArcNotCalled;
    }
    if (context.failure)
        std::rethrow_exception(context.failure);
    return result;
}

void *TArchiverBinding::Export(const char *suffix) { return library_.Export(prefix_ + suffix); }

int TArchiverBinding::Command(WindowHandle window, const std::string &commandLine, char *output,
                              std::uint32_t outputSize)
{
    auto fn = As<CommandFn>(Export(""));
    if (!fn)
        return kArcNotCalled;
    try {
        return fn(window, commandLine.c_str(), output, outputSize);
    } catch (...) {
        // A library that failed this way may be in any state: load it afresh next time.
        if (FreesLibraryOnCommandException(type_))
            library_.Free();
        return kArcNotCalled;
    }
}

bool TArchiverBinding::GetRunning()
{
    auto fn = As<NoArgIntFn>(Export("GetRunning"));
    return fn ? fn() != 0 : false;
}

int TArchiverBinding::GetVersion()
{
    auto fn = As<GetVersionFn>(Export("GetVersion"));
    return fn ? fn() : 0;
}

int TArchiverBinding::GetCursorMode()
{
    auto fn = As<NoArgIntFn>(Export("GetCursorMode"));
    return fn ? fn() : 0;
}

int TArchiverBinding::SetCursorMode(int mode)
{
    auto fn = As<IntArgIntFn>(Export("SetCursorMode"));
    return fn ? fn(mode) : 0;
}

bool TArchiverBinding::CheckArchive(const std::string &fileName, int mode)
{
    auto fn = As<CheckArchiveFn>(Export("CheckArchive"));
    if (!fn)
        return false;
    if (type_ != atTar)
        return fn(fileName.c_str(), mode) != 0;
    try {
        return fn(fileName.c_str(), mode) != 0;
    } catch (...) {
        return false;
    }
}

bool TArchiverBinding::CheckArchiveQuietCursor(const std::string &fileName, int mode)
{
    struct CursorModeRestorer {
        TArchiverBinding &binding;
        int saved;
        ~CursorModeRestorer() { binding.SetCursorMode(saved); }
    } restorer{*this, GetCursorMode()};
    SetCursorMode(0);
    return CheckArchive(fileName, mode);
}

int TArchiverBinding::GetFileCount(const std::string &fileName)
{
    auto fn = As<FileNameIntFn>(Export("GetFileCount"));
    return fn ? fn(fileName.c_str()) : -1;
}

bool TArchiverBinding::SetOwnerWindowEx(WindowHandle window, ArchiverProc callback)
{
    auto fn = As<SetOwnerWindowExFn>(Export("SetOwnerWindowEx"));
    return fn ? fn(window, callback) != 0 : false;
}

bool TArchiverBinding::KillOwnerWindowEx(WindowHandle window)
{
    auto fn = As<KillOwnerWindowExFn>(Export("KillOwnerWindowEx"));
    return fn ? fn(window) != 0 : false;
}

ArcHandle TArchiverBinding::OpenArchive(WindowHandle window, const std::string &fileName, std::uint32_t mode)
{
    auto fn = As<OpenArchiveFn>(Export("OpenArchive"));
    return fn ? fn(window, fileName.c_str(), mode) : nullptr;
}

int TArchiverBinding::FindFirst(ArcHandle archive, const std::string &mask, TIndividualInfo &info)
{
    auto fn = As<FindFirstFn>(Export("FindFirst"));
    return fn ? fn(archive, mask.c_str(), info.data()) : -1;
}

int TArchiverBinding::WalkEntries(const std::string &fileName, const std::string &wildcards,
                                  std::uint32_t mode, TEntryWalker &walker, std::string *message)
{
    auto fn = As<ZrArcWalkEntriesFn>(Export("WalkEntries"));
    if (!fn)
        return kArcNotCalled;
    WalkContext context{walker, nullptr, {}};
    ZrArcWalkCallbacks callbacks{};
    callbacks.user = &context;
    callbacks.offer = [](void *user, const ::TIndividualInfo *record, const char *fullName, int refusal) {
        return Guarded(
            user,
            [&](WalkContext &c) {
                std::memcpy(c.record.data(), record, c.record.size());
                return c.walker.Offer(c.record, fullName, refusal);
            },
            ZR_ARC_WALK_STOP);
    };
    callbacks.data = [](void *user, const char *bytes, std::size_t size) {
        return Guarded(
            user, [&](WalkContext &c) { return c.walker.Data(std::string_view(bytes, size)) ? 1 : 0; }, 0);
    };
    callbacks.entryEnd = [](void *user, int result, const char *reason) {
        Guarded(
            user,
            [&](WalkContext &c) {
                c.walker.EntryEnd(result, reason ? reason : "");
                return 0;
            },
            0);
    };
    callbacks.keepGoing = [](void *user) {
        return Guarded(user, [](WalkContext &c) { return c.walker.KeepGoing() ? 1 : 0; }, 0);
    };
    char text[1024] = {};
    callbacks.message = text;
    callbacks.messageSize = sizeof text;
    const int result = fn(fileName.c_str(), wildcards.c_str(), mode, &callbacks);
    if (context.failure)
        std::rethrow_exception(context.failure);
    if (message)
        *message = text;
    return result;
}

int TArchiverBinding::FindNext(ArcHandle archive, TIndividualInfo &info)
{
    auto fn = As<FindNextFn>(Export("FindNext"));
    return fn ? fn(archive, info.data()) : -1;
}

int TArchiverBinding::CloseArchive(ArcHandle archive)
{
    auto fn = As<HandleIntFn>(Export("CloseArchive"));
    if (fn)
        return fn(archive);
    return type_ == atLha ? -1 : kArcNotCalled;
}

int TArchiverBinding::IsSFXFile(ArcHandle archive)
{
    auto fn = As<HandleIntFn>(Export("IsSFXFile"));
    return fn ? fn(archive) : -1;
}

int TArchiverBinding::GetArchiveType(const std::string &fileName)
{
    auto fn = As<FileNameIntFn>(Export("GetArchiveType"));
    return fn ? fn(fileName.c_str()) : 0;
}

TArchiverBinding *BindingFor(TArchiveType type)
{
    LibraryTable &t = Table();
    switch (type) {
    case atLha:
        return &t.lhaBinding;
    case atCab:
        return &t.cabBinding;
    case atTar:
        return &t.tarBinding;
    case atArj:
        return &t.arjBinding;
    case atRar:
        return &t.rarBinding;
    case atZip:
        return &t.unzipBinding;
    case at7z:
        return &t.sevenZipBinding;
    case atNone:
        break;
    }
    return nullptr;
}

TArchiverBinding &ZipWriterBinding() { return Table().zipBinding; }

std::string LibraryFileNameFor(TArchiveType type)
{
    TArchiverBinding *binding = BindingFor(type);
    return binding ? binding->Library().FileName() : std::string();
}

void FreeAllArchiverLibraries() { Table().FreeAll(); }

std::string CabVersionText(int version)
{
    const int major = version / 100;
    const int minor = version % 100;
    return std::to_string(major) + "." + (minor < 10 ? "0" : "") + std::to_string(minor);
}

std::string CabLibraryVersionText() { return CabVersionText(BindingFor(atCab)->GetVersion()); }

bool CabReadsSfxDirectly()
{
    // Compared as plain text, as the version has always been reported.
    return CabLibraryVersionText() >= std::string("0.90");
}

}  // namespace zr::archive
