// The search's one pass over an archive: entries offered as they are read,
// the taken ones streamed to the caller, nothing written and nothing
// remembered. Each entry is matched against the pattern list once, so the
// walk stays linear in the number of entries.

#include <algorithm>
#include <cstring>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

#include "archivers/core/entry_record.h"
#include "archivers/core/library_exports.h"
#include "archivers/core/locale_guard.h"
#include "archivers/core/stored_name.h"
#include "archivers/core/wildcard.h"

namespace zr::archivers {

namespace {

// Past what a written file could reach, a taken entry is given up.
std::uint64_t EntrySizeLimit()
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_FSIZE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return UINT64_MAX;
    return limit.rlim_cur;
}

// A name that would climb out of a destination folder or start at the root.
// Drive letters and device names are only names here: nothing is written.
bool LeavesFolder(std::string_view storedName)
{
    const std::string name = NormaliseSeparators(storedName);
    if (name.starts_with('/'))
        return true;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = name.find('/', start);
        if (end == std::string::npos)
            end = name.size();
        if (end - start == 2 && name.compare(start, 2, "..") == 0)
            return true;
        start = end + 1;
    }
    return false;
}

int Refusal(const EntryInfo &entry)
{
    if (entry.kind != EntryKind::kFile)
        return ZR_ARC_WALK_NO_DATA;
    if (entry.encrypted || entry.unsupported)
        return ZR_ARC_E_UNSUPPORTED;
    if (LeavesFolder(entry.name))
        return ZR_ARC_E_UNSAFE_NAME;
    return ZR_ARC_OK;
}

bool SaysPassword(const std::string &text)
{
    std::string lower = text;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    for (const char *word : {"passphrase", "password", "encrypt"})
        if (lower.find(word) != std::string::npos)
            return true;
    return false;
}

class EntryWalk {
public:
    EntryWalk(const LibraryTraits &traits, const ZrArcWalkCallbacks &callbacks)
        : traits_(traits), callbacks_(callbacks), sizeLimit_(EntrySizeLimit())
    {
    }

    int run(const std::string &file, const NameFilter &filter, const OpenOptions &options);

private:
    enum class Flow { kContinue, kStop };

    Flow takeEntry();
    int finish(int result, const std::string &message)
    {
        if (callbacks_.message && callbacks_.messageSize > 0) {
            const std::size_t n = std::min<std::size_t>(message.size(), callbacks_.messageSize - 1);
            std::memcpy(callbacks_.message, message.data(), n);
            callbacks_.message[n] = '\0';
        }
        return result;
    }
    void entryEnd(int result, const std::string &reason)
    {
        if (callbacks_.entryEnd)
            callbacks_.entryEnd(callbacks_.user, result, reason.c_str());
    }

    const LibraryTraits &traits_;
    const ZrArcWalkCallbacks &callbacks_;
    std::uint64_t sizeLimit_;
    std::unique_ptr<ArchiveReader> reader_;
    bool cancelled_ = false;
};

int EntryWalk::run(const std::string &file, const NameFilter &filter, const OpenOptions &options)
{
    if (::access(file.c_str(), R_OK) != 0)
        return finish(ZR_ARC_E_OPEN, "Cannot open the archive.");
    OpenResult opened = traits_.openReader(file, options);
    if (!opened.reader)
        return finish(SaysPassword(opened.error) ? ZR_ARC_E_UNSUPPORTED : ZR_ARC_E_NOT_ARCHIVE, opened.error);
    reader_ = std::move(opened.reader);
    if (callbacks_.keepGoing)
        reader_->setStopCheck([this] { return callbacks_.keepGoing(callbacks_.user) != 0; });
    EntryInfo entry;
    TIndividualInfo record;
    bool anyEntry = false;
    for (;;) {
        const ReadStatus status = reader_->next(entry);
        if (status == ReadStatus::kEnd)
            return finish(ZR_ARC_OK, reader_->endNote());
        if (status == ReadStatus::kError) {
            if (reader_->stoppedByCaller())
                return finish(ZR_ARC_E_CANCELLED, "Cancelled.");
            if (SaysPassword(reader_->errorText()))
                return finish(ZR_ARC_E_UNSUPPORTED, reader_->errorText());
            return finish(anyEntry ? ZR_ARC_E_DATA : ZR_ARC_E_NOT_ARCHIVE, reader_->errorText());
        }
        anyEntry = true;
        if (!filter.matches(entry.name))
            continue;
        FillIndividualInfo(entry, traits_.ratioSense, record);
        const int refusal = Refusal(entry);
        const int answer = callbacks_.offer(callbacks_.user, &record, entry.name.c_str(), refusal);
        if (answer == ZR_ARC_WALK_STOP)
            return finish(ZR_ARC_E_CANCELLED, "Cancelled.");
        if (answer != ZR_ARC_WALK_TAKE || refusal != ZR_ARC_OK)
            continue;
        if (takeEntry() == Flow::kStop)
            return cancelled_ ? finish(ZR_ARC_E_CANCELLED, "Cancelled.")
                              : finish(ZR_ARC_E_DATA, reader_->errorText());
    }
}

EntryWalk::Flow EntryWalk::takeEntry()
{
    std::uint64_t given = 0;
    bool tooLarge = false;
    const DataStatus status = reader_->readData([&](const char *data, std::size_t size) {
        if (size > sizeLimit_ - given) {
            tooLarge = true;
            return false;
        }
        given += size;
        if (callbacks_.data && callbacks_.data(callbacks_.user, data, size) == 0) {
            cancelled_ = true;
            return false;
        }
        return true;
    });
    switch (status) {
    case DataStatus::kComplete:
        entryEnd(ZR_ARC_OK, {});
        return Flow::kContinue;
    case DataStatus::kStopped:
        if (tooLarge && !reader_->stoppedByCaller()) {
            entryEnd(ZR_ARC_E_TOO_LARGE, "larger than the file-size limit");
            return Flow::kContinue;
        }
        cancelled_ = true;
        entryEnd(ZR_ARC_E_CANCELLED, "Cancelled.");
        return Flow::kStop;
    case DataStatus::kError:
        if (reader_->stoppedByCaller()) {
            cancelled_ = true;
            entryEnd(ZR_ARC_E_CANCELLED, "Cancelled.");
            return Flow::kStop;
        }
        entryEnd(ZR_ARC_E_DATA, reader_->errorText());
        return reader_->errorIsFatal() ? Flow::kStop : Flow::kContinue;
    }
    return Flow::kContinue;
}

}  // namespace

int WalkEntries(const LibraryTraits &traits, const char *file, const char *wildcards, uint32_t mode,
                const ZrArcWalkCallbacks *callbacks)
{
    if (!file || !callbacks || !callbacks->offer)
        return ZR_ARC_E_COMMAND;
    try {
        ScopedUtf8Locale locale;
        OpenOptions options;
        options.tolerateBrokenHeaders = (mode & ZR_ARC_OPEN_BROKEN_HEADERS) != 0;
        const NameFilter filter(SplitWildcardList(wildcards ? wildcards : ""));
        return EntryWalk(traits, *callbacks).run(file, filter, options);
    } catch (...) {
        return ZR_ARC_E_INTERNAL;
    }
}

}  // namespace zr::archivers
