#include "archivers/core/extractor.h"

#include <algorithm>
#include <cerrno>
#include <sys/resource.h>
#include <unistd.h>

#include "archivers/archiver_api.h"
#include "archivers/core/destination_folder.h"
#include "archivers/core/safe_path.h"
#include "archivers/core/wildcard.h"

namespace zr::archivers {

namespace {

// Free space is checked again after this many bytes of a file whose size
// was not known in advance.
constexpr std::uint64_t kSpaceCheckStep = 8u << 20;

enum class Flow { kContinue, kStop };
enum class Opening { kOpened, kPassed, kStop };

// How far one entry's data got, and why it stopped if it did.
struct WriteState {
    std::uint64_t written = 0;
    std::uint64_t checkedAt = 0;
    int stopCode = ZR_ARC_OK;
    std::string stopText;
};

// Past the file-size limit a caller set for us (a bomb, or just a huge
// entry) the entry is given up and the others still come; any other write
// failure stops the extraction.
void NoteWriteFailure(WriteState &state, const std::string &shown)
{
    const bool tooLarge = errno == EFBIG;
    state.stopCode = tooLarge ? ZR_ARC_E_TOO_LARGE : ZR_ARC_E_WRITE;
    state.stopText = (tooLarge ? "Skipped, larger than the file-size limit: " : "Cannot write ") + shown;
}

// A file held in memory may not grow past what a written one could.
std::uint64_t FileSizeLimit()
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_FSIZE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return UINT64_MAX;
    return limit.rlim_cur;
}

std::string JoinedPath(const std::vector<std::string> &components)
{
    std::string joined;
    for (const std::string &part : components)
        joined += (joined.empty() ? "" : "/") + part;
    return joined;
}

class Extraction {
public:
    Extraction(const ExtractRequest &request, ArchiveReader &reader, ProgressReporter &progress,
               OutputLog &log, const MemoryDelivery *memory)
        : request_(request), reader_(reader), progress_(progress), log_(log), filter_(request.names),
          memory_(memory && memory->take ? memory : nullptr),
          memoryLimit_(memory_ ? std::min(memory_->limit, FileSizeLimit()) : 0)
    {
    }

    int run();

private:
    Flow handleEntry(const EntryInfo &entry);
    Flow extractFolder(const EntryInfo &entry);
    Flow extractFile(const EntryInfo &entry, const SafePath &path);
    Flow deliverFile(const EntryInfo &entry, const SafePath &path);
    Opening openOutput(const EntryInfo &entry, const SafePath &path, OutputFile &file);
    bool keepExisting(int folderFd, const std::string &name, const EntryInfo &entry);
    bool writeSlice(const EntryInfo &entry, OutputFile &file, const std::string &shown, WriteState &state,
                    const char *data, std::size_t size);
    bool reportWritten(WriteState &state);
    DataStatus readInSlices(const std::function<bool(const char *, std::size_t)> &slice);
    Flow finishFile(const EntryInfo &entry, OutputFile &file, DataStatus status, WriteState &state);
    Flow fileDone(const EntryInfo &entry, std::uint64_t written);
    void fail(int code, const std::string &message);

    const ExtractRequest &request_;
    ArchiveReader &reader_;
    ProgressReporter &progress_;
    OutputLog &log_;
    NameFilter filter_;
    const MemoryDelivery *memory_;
    std::uint64_t memoryLimit_;
    DestinationFolder destination_;
    int result_ = ZR_ARC_OK;
    bool matched_ = false;
    int extracted_ = 0;
};

void Extraction::fail(int code, const std::string &message)
{
    log_.line(message);
    if (result_ == ZR_ARC_OK)
        result_ = code;
}

int Extraction::run()
{
    std::string error;
    if (!destination_.open(request_.destination, error)) {
        fail(ZR_ARC_E_DEST, error);
        return result_;
    }
    reader_.setStopCheck([this] { return progress_.stillWanted(); });
    EntryInfo entry;
    for (;;) {
        const ReadStatus status = reader_.next(entry);
        if (status == ReadStatus::kEnd) {
            if (!reader_.endNote().empty())
                log_.line(reader_.endNote());
            break;
        }
        if (status == ReadStatus::kError && reader_.stoppedByCaller()) {
            fail(ZR_ARC_E_CANCELLED, "Cancelled.");
            return result_;
        }
        if (status == ReadStatus::kError) {
            fail(ZR_ARC_E_DATA, "Damaged archive: " + reader_.errorText());
            break;
        }
        if (!filter_.matches(entry.name))
            continue;
        matched_ = true;
        if (handleEntry(entry) == Flow::kStop)
            return result_;
    }
    if (!matched_ && !filter_.matchesAll())
        fail(ZR_ARC_E_NO_MATCH, "No entry matched the given names.");
    log_.line(std::to_string(extracted_) + " file(s) extracted.");
    return result_;
}

Flow Extraction::handleEntry(const EntryInfo &entry)
{
    if (entry.kind == EntryKind::kLink || entry.kind == EntryKind::kSpecial) {
        log_.line("Skipped (links and devices are not created): " + entry.name);
        return Flow::kContinue;
    }
    if (entry.kind == EntryKind::kFolder && !request_.keepFolders)
        return Flow::kContinue;
    const SafePath path = MakeSafeRelativePath(entry.name, request_.keepFolders);
    if (!path.ok) {
        fail(ZR_ARC_E_UNSAFE_NAME, "Refused (" + path.refusal + "): " + entry.name);
        return Flow::kContinue;
    }
    if (entry.kind == EntryKind::kFolder)
        return extractFolder(entry);
    if (path.components.empty()) {
        fail(ZR_ARC_E_UNSAFE_NAME, "Refused (no file name): " + entry.name);
        return Flow::kContinue;
    }
    if (entry.encrypted || entry.unsupported) {
        fail(ZR_ARC_E_UNSUPPORTED, std::string(entry.encrypted ? "Encrypted" : "Unsupported") +
                                       " entry not extracted: " + entry.name);
        return Flow::kContinue;
    }
    return extractFile(entry, path);
}

Flow Extraction::extractFolder(const EntryInfo &entry)
{
    const SafePath path = MakeSafeRelativePath(entry.name, true);
    std::string error;
    const int fd = destination_.openFolder(path.components, error);
    if (fd < 0) {
        fail(ZR_ARC_E_WRITE, error);
        return Flow::kContinue;
    }
    ::close(fd);
    return Flow::kContinue;
}

bool Extraction::keepExisting(int folderFd, const std::string &name, const EntryInfo &entry)
{
    std::time_t existingTime = 0;
    switch (InspectExisting(folderFd, name, &existingTime)) {
    case ExistingKind::kNone:
        return false;
    case ExistingKind::kFolder:
    case ExistingKind::kOther:
        fail(ZR_ARC_E_WRITE, "A folder or special file is in the way: " + entry.name);
        return true;
    case ExistingKind::kFile:
        break;
    }
    switch (request_.overwrite) {
    case OverwritePolicy::kAlways:
        return false;
    case OverwritePolicy::kIfNewer:
        if (entry.modified > existingTime)
            return false;
        log_.line("Kept (not newer): " + entry.name);
        return true;
    case OverwritePolicy::kAsk:
    case OverwritePolicy::kNever:
        break;
    }
    log_.line("Kept (exists): " + entry.name);
    return true;
}

Opening Extraction::openOutput(const EntryInfo &entry, const SafePath &path, OutputFile &file)
{
    std::vector<std::string> folders(path.components.begin(), path.components.end() - 1);
    const std::string &name = path.components.back();
    std::string error;
    const int folderFd = destination_.openFolder(folders, error);
    if (folderFd < 0) {
        fail(ZR_ARC_E_WRITE, error);
        return Opening::kPassed;
    }
    if (keepExisting(folderFd, name, entry)) {
        ::close(folderFd);
        return Opening::kPassed;
    }
    if (!destination_.hasRoomFor(entry.size)) {
        ::close(folderFd);
        fail(ZR_ARC_E_DISK_FULL, "Stopped: not enough free space for " + entry.name);
        return Opening::kStop;
    }
    if (!file.create(folderFd, name, error)) {
        fail(ZR_ARC_E_WRITE, error);
        return Opening::kPassed;
    }
    return Opening::kOpened;
}

Flow Extraction::extractFile(const EntryInfo &entry, const SafePath &path)
{
    if (memory_ && entry.size <= memoryLimit_)
        return deliverFile(entry, path);
    OutputFile file;
    const Opening opening = openOutput(entry, path, file);
    if (opening != Opening::kOpened)
        return opening == Opening::kStop ? Flow::kStop : Flow::kContinue;
    const std::string shown = destination_.displayPath(path.components);
    if (!progress_.beginFile(entry.name, shown, entry.size)) {
        fail(ZR_ARC_E_CANCELLED, "Cancelled.");
        return Flow::kStop;
    }
    WriteState state;
    const DataStatus status = readInSlices([&](const char *data, std::size_t size) {
        return writeSlice(entry, file, shown, state, data, size);
    });
    return finishFile(entry, file, status, state);
}

// The file is held until it is whole and then offered; only a file the
// taker declines, or one that outgrows the limit, touches the disk.
Flow Extraction::deliverFile(const EntryInfo &entry, const SafePath &path)
{
    const std::string shown = destination_.displayPath(path.components);
    if (!progress_.beginFile(entry.name, shown, entry.size)) {
        fail(ZR_ARC_E_CANCELLED, "Cancelled.");
        return Flow::kStop;
    }
    std::string held;
    held.reserve(entry.size);  // at most the limit: grown by copying it cost more than the scan
    OutputFile file;
    bool onDisk = false;
    Opening opening = Opening::kOpened;
    WriteState state;
    // Writes what is held so far, then goes on as an ordinary extraction.
    const auto moveToDisk = [&] {
        opening = openOutput(entry, path, file);
        onDisk = true;
        if (opening != Opening::kOpened)
            return false;
        const bool ok = held.empty() || file.write(held.data(), held.size());
        if (!ok)
            NoteWriteFailure(state, shown);  // before anything else can touch errno
        std::string().swap(held);
        return ok;
    };
    const DataStatus status = readInSlices([&](const char *data, std::size_t size) {
        if (!onDisk && held.size() + size > memoryLimit_ && !moveToDisk())
            return false;
        if (onDisk)
            return writeSlice(entry, file, shown, state, data, size);
        held.append(data, size);
        state.written += size;
        return reportWritten(state);
    });
    if (onDisk && opening != Opening::kOpened)
        return opening == Opening::kStop ? Flow::kStop : Flow::kContinue;
    if (onDisk || status != DataStatus::kComplete)
        return finishFile(entry, file, status, state);
    switch (memory_->take(JoinedPath(path.components), held.data(), held.size())) {
    case MemoryDelivery::kTaken:
        return fileDone(entry, state.written);
    case MemoryDelivery::kWrite:
        if (!moveToDisk() && opening != Opening::kOpened)
            return opening == Opening::kStop ? Flow::kStop : Flow::kContinue;
        return finishFile(entry, file, state.stopCode == ZR_ARC_OK ? status : DataStatus::kStopped, state);
    default:
        fail(ZR_ARC_E_CANCELLED, "Cancelled.");
        return Flow::kStop;
    }
}

bool Extraction::reportWritten(WriteState &state)
{
    if (progress_.wrote(state.written))
        return true;
    state.stopCode = ZR_ARC_E_CANCELLED;
    state.stopText = "Cancelled.";
    return false;
}

bool Extraction::writeSlice(const EntryInfo &entry, OutputFile &file, const std::string &shown,
                            WriteState &state, const char *data, std::size_t size)
{
    if (!file.write(data, size)) {
        NoteWriteFailure(state, shown);
        return false;
    }
    state.written += size;
    if (state.written > entry.size && state.written - state.checkedAt >= kSpaceCheckStep) {
        state.checkedAt = state.written;
        if (!destination_.hasRoomFor(kSpaceCheckStep)) {
            state.stopCode = ZR_ARC_E_DISK_FULL;
            state.stopText = "Stopped: not enough free space for " + entry.name;
            return false;
        }
    }
    return reportWritten(state);
}

// Slices no larger than the report step keep progress at least that frequent.
DataStatus Extraction::readInSlices(const std::function<bool(const char *, std::size_t)> &slice)
{
    return reader_.readData([&](const char *data, std::size_t size) {
        while (size > 0) {
            const std::size_t part = std::min<std::size_t>(size, ProgressReporter::kReportStep);
            if (!slice(data, part))
                return false;
            data += part;
            size -= part;
        }
        return true;
    });
}

Flow Extraction::finishFile(const EntryInfo &entry, OutputFile &file, DataStatus status, WriteState &state)
{
    if (status == DataStatus::kStopped && reader_.stoppedByCaller()) {
        state.stopCode = ZR_ARC_E_CANCELLED;
        state.stopText = "Cancelled.";
    }
    if (status == DataStatus::kStopped) {
        file.discard();
        fail(state.stopCode, state.stopText);
        return state.stopCode == ZR_ARC_E_TOO_LARGE ? Flow::kContinue : Flow::kStop;
    }
    if (status == DataStatus::kError) {
        file.discard();
        fail(ZR_ARC_E_DATA, "Data error in " + entry.name + ": " + reader_.errorText());
        return reader_.errorIsFatal() ? Flow::kStop : Flow::kContinue;
    }
    std::string error;
    if (!file.commit(entry.modified, false, error)) {
        fail(ZR_ARC_E_WRITE, error);
        return Flow::kContinue;
    }
    return fileDone(entry, state.written);
}

Flow Extraction::fileDone(const EntryInfo &entry, std::uint64_t written)
{
    ++extracted_;
    log_.line("Extracted: " + entry.name);
    if (!progress_.endFile(written)) {
        fail(ZR_ARC_E_CANCELLED, "Cancelled.");
        return Flow::kStop;
    }
    return Flow::kContinue;
}

}  // namespace

int ExtractEntries(const ExtractRequest &request, ArchiveReader &reader, ProgressReporter &progress,
                   OutputLog &log, const MemoryDelivery *memory)
{
    return Extraction(request, reader, progress, log, memory).run();
}

}  // namespace zr::archivers
