#include "archivers/core/library_exports.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <set>
#include <unistd.h>

#include "archivers/core/entry_record.h"
#include "archivers/core/extractor.h"
#include "archivers/core/locale_guard.h"
#include "archivers/core/output_log.h"
#include "archivers/core/signature_scan.h"
#include "archivers/core/walk_memo.h"
#include "archivers/core/wildcard.h"

namespace zr::archivers {

namespace {

// One copy per shared object: each library keeps its own state.
struct LibraryState {
    std::mutex mutex;
    std::atomic<int> running{0};
    std::atomic<int> cursorMode{1};
    ARC_CALLBACK callback = nullptr;
    HWND owner = nullptr;
    std::set<const void *> handles;
};

LibraryState &State()
{
    static LibraryState state;
    return state;
}

struct ArchiveHandle {
    const LibraryTraits *traits = nullptr;
    std::string path;
    OpenOptions options;
    std::unique_ptr<ArchiveReader> reader;
    NameFilter filter;
};

ArchiveHandle *FindHandle(HARC arc)
{
    LibraryState &state = State();
    std::lock_guard lock(state.mutex);
    return state.handles.count(arc) ? static_cast<ArchiveHandle *>(arc) : nullptr;
}

class RunningFlag {
public:
    RunningFlag() : busy_(State().running.exchange(1) != 0) {}
    ~RunningFlag()
    {
        if (!busy_)
            State().running = 0;
    }
    bool busy() const { return busy_; }

private:
    bool busy_;
};

bool Readable(const std::string &path) { return ::access(path.c_str(), R_OK) == 0; }

// Every walk of an archive goes through here, so a library that remembers
// its last walk serves the check, count, listing and extraction of one
// archive from a single decompression.
OpenResult OpenReader(const LibraryTraits &traits, const std::string &path, const OpenOptions &options,
                      const EntryNeed &needsData = {})
{
    if (!traits.rememberWalks)
        return traits.openReader(path, options);
    return OpenRemembering(LibraryWalkMemo(), traits.openReader, path, options, needsData);
}

int NextMatching(ArchiveHandle &handle, void *record)
{
    if (!handle.reader || !record)
        return ZR_ARC_FIND_END;
    EntryInfo entry;
    for (;;) {
        const ReadStatus status = handle.reader->next(entry);
        if (status != ReadStatus::kOk) {
            const bool locked = handle.reader->errorIsLockedArchive();
            handle.reader.reset();
            if (status == ReadStatus::kEnd)
                return ZR_ARC_FIND_END;
            return locked ? ZR_ARC_E_ENCRYPTED : ZR_ARC_E_DATA;
        }
        if (handle.filter.matches(entry.name)) {
            FillIndividualInfo(entry, handle.traits->ratioSense, *static_cast<TIndividualInfo *>(record));
            return ZR_ARC_FIND_OK;
        }
    }
}

int Extract(const LibraryTraits &traits, const std::string &commandLine, OutputLog &log,
            const MemoryDelivery *memory)
{
    ParsedCommand parsed = ParseExtractCommand(commandLine, traits.dialect);
    if (parsed.error != ZR_ARC_OK) {
        log.line(parsed.message);
        return parsed.error;
    }
    const ExtractRequest &request = parsed.request;
    log.line(std::string(traits.name) + ": extracting " + request.archive);
    if (!Readable(request.archive)) {
        log.line("Cannot open the archive.");
        return ZR_ARC_E_OPEN;
    }
    OpenOptions options;
    options.tolerateBrokenHeaders = request.tolerateBrokenHeaders;
    const NameFilter wanted(request.names);
    OpenResult opened = OpenReader(traits, request.archive, options, [&wanted](const EntryInfo &entry) {
        return entry.kind == EntryKind::kFile && !entry.encrypted && !entry.unsupported &&
               wanted.matches(entry.name);
    });
    if (!opened.reader) {
        log.line("Not a valid archive: " + opened.error);
        return ZR_ARC_E_NOT_ARCHIVE;
    }
    ARC_CALLBACK callback;
    HWND owner;
    {
        std::lock_guard lock(State().mutex);
        callback = State().callback;
        owner = State().owner;
    }
    ProgressReporter progress(callback, owner, traits.stopSense);
    return ExtractEntries(request, *opened.reader, progress, log, memory);
}

}  // namespace

WalkMemo &LibraryWalkMemo()
{
    static WalkMemo memo;
    return memo;
}

int RememberedArchiveType(const std::string &path)
{
    const auto walk = LibraryWalkMemo().find(path, {});
    return walk ? walk->archiveType : 0;
}

namespace {

int RunExtractCommand(const LibraryTraits &traits, const char *cmdLine, char *output, uint32_t outputSize,
                      const MemoryDelivery *memory)
{
    RunningFlag running;
    if (running.busy())
        return ZR_ARC_E_BUSY;
    ScopedUtf8Locale locale;
    OutputLog log;
    int result;
    try {
        result = cmdLine ? Extract(traits, cmdLine, log, memory) : ZR_ARC_E_COMMAND;
    } catch (const std::exception &e) {
        log.line(std::string("Internal error: ") + e.what());
        result = ZR_ARC_E_INTERNAL;
    } catch (...) {
        result = ZR_ARC_E_INTERNAL;
    }
    log.copyTo(output, outputSize);
    return result;
}

}  // namespace

int RunCommand(const LibraryTraits &traits, HWND, const char *cmdLine, char *output, uint32_t outputSize)
{
    return RunExtractCommand(traits, cmdLine, output, outputSize, nullptr);
}

int RunCommandToMemory(const LibraryTraits &traits, HWND, const char *cmdLine, char *output,
                       uint32_t outputSize, uint64_t memoryLimit, ZR_ARC_TAKE_FILE take, void *user)
{
    if (!take)
        return RunExtractCommand(traits, cmdLine, output, outputSize, nullptr);
    MemoryDelivery memory;
    memory.limit = memoryLimit;
    memory.take = [take, user](const std::string &relativePath, const char *data, std::size_t size) {
        return take(user, relativePath.c_str(), data, size);
    };
    return RunExtractCommand(traits, cmdLine, output, outputSize, &memory);
}

int GetRunning() { return State().running.load(); }

uint16_t GetVersion() { return ZR_CAB_VERSION; }

int GetCursorMode() { return State().cursorMode.load(); }

int SetCursorMode(int mode) { return State().cursorMode.exchange(mode); }

int CheckArchive(const LibraryTraits &traits, const char *file, int mode)
{
    try {
        ScopedUtf8Locale locale;
        if (!file || !Readable(file))
            return 0;
        OpenOptions options;
        options.tolerateBrokenHeaders = (mode & ZR_ARC_CHECK_BROKEN_HEADERS) != 0;
        OpenResult opened = OpenReader(traits, file, options);
        if (!opened.reader)
            return 0;
        EntryInfo entry;
        for (;;) {
            const ReadStatus status = opened.reader->next(entry);
            // Encrypted headers are still this format's: the caller learns
            // from the listing that a password is needed.
            if (status != ReadStatus::kOk)
                return status == ReadStatus::kEnd || opened.reader->errorIsLockedArchive() ? 1 : 0;
            if ((mode & ZR_ARC_CHECK_FULLCRC) && entry.kind == EntryKind::kFile && !entry.encrypted &&
                opened.reader->readData(nullptr) != DataStatus::kComplete)
                return 0;
            if (!(mode & (ZR_ARC_CHECK_HEADERS | ZR_ARC_CHECK_FULLCRC)))
                return 1;
        }
    } catch (...) {
        return 0;
    }
}

int GetFileCount(const LibraryTraits &traits, const char *file)
{
    try {
        ScopedUtf8Locale locale;
        if (!file || !Readable(file))
            return -1;
        OpenResult opened = OpenReader(traits, file, {});
        if (!opened.reader)
            return -1;
        EntryInfo entry;
        int count = 0;
        for (;;) {
            const ReadStatus status = opened.reader->next(entry);
            if (status == ReadStatus::kEnd)
                return count;
            if (status == ReadStatus::kError)
                return -1;
            ++count;
        }
    } catch (...) {
        return -1;
    }
}

int SetOwnerWindowEx(HWND wnd, ARC_CALLBACK callback)
{
    if (!callback)
        return 0;
    std::lock_guard lock(State().mutex);
    State().callback = callback;
    State().owner = wnd;
    return 1;
}

int KillOwnerWindowEx(HWND)
{
    std::lock_guard lock(State().mutex);
    const bool installed = State().callback != nullptr;
    State().callback = nullptr;
    State().owner = nullptr;
    return installed ? 1 : 0;
}

HARC OpenArchive(const LibraryTraits &traits, HWND, const char *file, uint32_t mode)
{
    try {
        ScopedUtf8Locale locale;
        if (!file || !Readable(file))
            return nullptr;
        auto handle = std::make_unique<ArchiveHandle>();
        handle->traits = &traits;
        handle->path = file;
        handle->options.tolerateBrokenHeaders = (mode & ZR_ARC_OPEN_BROKEN_HEADERS) != 0;
        OpenResult opened = OpenReader(traits, handle->path, handle->options);
        if (!opened.reader)
            return nullptr;
        handle->reader = std::move(opened.reader);
        std::lock_guard lock(State().mutex);
        State().handles.insert(handle.get());
        return handle.release();
    } catch (...) {
        return nullptr;
    }
}

int CloseArchive(HARC arc)
{
    ArchiveHandle *handle = FindHandle(arc);
    if (!handle)
        return ZR_ARC_E_HANDLE;
    {
        std::lock_guard lock(State().mutex);
        State().handles.erase(arc);
    }
    delete handle;
    return ZR_ARC_OK;
}

int FindFirst(HARC arc, const char *wildcards, void *record)
{
    try {
        ScopedUtf8Locale locale;
        ArchiveHandle *handle = FindHandle(arc);
        if (!handle)
            return ZR_ARC_E_HANDLE;
        // Every search starts again from the first entry.
        OpenOptions options = handle->options;
        options.measureUnknownSizes = true;
        OpenResult opened = OpenReader(*handle->traits, handle->path, options);
        handle->reader = std::move(opened.reader);
        handle->filter = NameFilter(SplitWildcardList(wildcards ? wildcards : ""));
        return NextMatching(*handle, record);
    } catch (...) {
        return ZR_ARC_E_INTERNAL;
    }
}

int FindNext(HARC arc, void *record)
{
    try {
        ScopedUtf8Locale locale;
        ArchiveHandle *handle = FindHandle(arc);
        if (!handle)
            return ZR_ARC_E_HANDLE;
        return NextMatching(*handle, record);
    } catch (...) {
        return ZR_ARC_E_INTERNAL;
    }
}

int IsSFXFile(HARC arc)
{
    try {
        ArchiveHandle *handle = FindHandle(arc);
        if (!handle)
            return ZR_ARC_E_HANDLE;
        return StartsWithMz(handle->path) ? ClassifyExecutable(handle->path) : ZR_SFX_NONE;
    } catch (...) {
        return ZR_ARC_E_INTERNAL;
    }
}

}  // namespace zr::archivers
