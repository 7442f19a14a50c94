#include "archivers/core/extractor.h"

#include <algorithm>
#include <cerrno>
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

class Extraction {
public:
    Extraction(const ExtractRequest &request, ArchiveReader &reader, ProgressReporter &progress,
               OutputLog &log)
        : request_(request), reader_(reader), progress_(progress), log_(log), filter_(request.names)
    {
    }

    int run();

private:
    Flow handleEntry(const EntryInfo &entry);
    Flow extractFolder(const EntryInfo &entry);
    Flow extractFile(const EntryInfo &entry, const SafePath &path);
    bool keepExisting(int folderFd, const std::string &name, const EntryInfo &entry);
    Flow writeData(const EntryInfo &entry, OutputFile &file, const std::string &shown);
    void fail(int code, const std::string &message);

    const ExtractRequest &request_;
    ArchiveReader &reader_;
    ProgressReporter &progress_;
    OutputLog &log_;
    NameFilter filter_;
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

Flow Extraction::extractFile(const EntryInfo &entry, const SafePath &path)
{
    std::vector<std::string> folders(path.components.begin(), path.components.end() - 1);
    const std::string &name = path.components.back();
    std::string error;
    const int folderFd = destination_.openFolder(folders, error);
    if (folderFd < 0) {
        fail(ZR_ARC_E_WRITE, error);
        return Flow::kContinue;
    }
    OutputFile file;
    if (keepExisting(folderFd, name, entry)) {
        ::close(folderFd);
        return Flow::kContinue;
    }
    if (!destination_.hasRoomFor(entry.size)) {
        ::close(folderFd);
        fail(ZR_ARC_E_DISK_FULL, "Stopped: not enough free space for " + entry.name);
        return Flow::kStop;
    }
    if (!file.create(folderFd, name, error)) {
        fail(ZR_ARC_E_WRITE, error);
        return Flow::kContinue;
    }
    const std::string shown = destination_.displayPath(path.components);
    if (!progress_.beginFile(entry.name, shown, entry.size)) {
        fail(ZR_ARC_E_CANCELLED, "Cancelled.");
        return Flow::kStop;
    }
    return writeData(entry, file, shown);
}

Flow Extraction::writeData(const EntryInfo &entry, OutputFile &file, const std::string &shown)
{
    std::uint64_t written = 0, checkedAt = 0;
    int stopCode = ZR_ARC_OK;
    std::string stopText;
    const auto writeSlice = [&](const char *data, std::size_t size) {
        if (!file.write(data, size)) {
            // Past the file-size limit a caller set for us (a bomb, or just a
            // huge entry): this entry is given up, the others still come.
            const bool tooLarge = errno == EFBIG;
            stopCode = tooLarge ? ZR_ARC_E_TOO_LARGE : ZR_ARC_E_WRITE;
            stopText = (tooLarge ? "Skipped, larger than the file-size limit: " : "Cannot write ") + shown;
            return false;
        }
        written += size;
        if (written > entry.size && written - checkedAt >= kSpaceCheckStep) {
            checkedAt = written;
            if (!destination_.hasRoomFor(kSpaceCheckStep)) {
                stopCode = ZR_ARC_E_DISK_FULL;
                stopText = "Stopped: not enough free space for " + entry.name;
                return false;
            }
        }
        if (!progress_.wrote(written)) {
            stopCode = ZR_ARC_E_CANCELLED;
            stopText = "Cancelled.";
            return false;
        }
        return true;
    };
    // Slices no larger than the report step keep progress at least that frequent.
    const DataStatus status = reader_.readData([&](const char *data, std::size_t size) {
        while (size > 0) {
            const std::size_t slice = std::min<std::size_t>(size, ProgressReporter::kReportStep);
            if (!writeSlice(data, slice))
                return false;
            data += slice;
            size -= slice;
        }
        return true;
    });
    if (status == DataStatus::kStopped && reader_.stoppedByCaller()) {
        stopCode = ZR_ARC_E_CANCELLED;
        stopText = "Cancelled.";
    }
    if (status == DataStatus::kStopped) {
        file.discard();
        fail(stopCode, stopText);
        return stopCode == ZR_ARC_E_TOO_LARGE ? Flow::kContinue : Flow::kStop;
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
                   OutputLog &log)
{
    return Extraction(request, reader, progress, log).run();
}

}  // namespace zr::archivers
