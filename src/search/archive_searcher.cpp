#include "search/archive_searcher.h"

#include "regex/line_display.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <optional>
#include <set>
#include <string_view>
#include <vector>

#include "archive/archive_control.h"
#include "archivers/archiver_api.h"
#include "search/extraction_faults.h"
#include "search/extraction_helpers.h"
#include "search/extraction_setup.h"
#include "search/held_events.h"
#include "search/run_texts.h"
#include "search/work_folder.h"
#include "util/file_queries.h"
#include "util/path_names.h"

namespace zr::search {

using namespace zr::archive;

namespace {

// A stored name that climbs out of the extraction folder or starts at the
// root. The libraries never write such a file, but a file of that name may
// exist outside; it must be neither searched nor deleted.
bool LeavesFolder(const std::string &relative)
{
    if (relative.starts_with('/'))
        return true;
    std::size_t start = 0;
    while (start <= relative.size()) {
        std::size_t end = relative.find('/', start);
        if (end == std::string::npos)
            end = relative.size();
        if (relative.compare(start, end - start, "..") == 0 && end - start == 2)
            return true;
        start = end + 1;
    }
    return false;
}

// A stored file scanned from memory is at most this large; the memo of the
// archive may hold it too, so a worker's peak stays near 64 MB plus it.
constexpr std::uint64_t kMemoryScanLimit = 32u << 20;
// Hits of files scanned while the extraction still runs are held until it
// has succeeded; past this much, the rest of the archive goes by the disk.
constexpr std::size_t kHeldEventLimit = 16u << 20;

// What the listing says of one stored file before anything is extracted.
struct PlannedItem {
    enum Kind { kFolder, kRefused, kLocked, kFile };
    const TArchiveItem *item;
    Kind kind;
    std::string relative;  // below the extraction folder, '/' between folders
};

std::vector<const TArchiveItem *> ListedItems(const TArchiveControl &control)
{
    std::vector<const TArchiveItem *> items;
    for (int i = 0; i < control.Count(); ++i)
        items.push_back(control.Items(i));
    return items;
}

std::vector<PlannedItem> PlanItems(const std::vector<const TArchiveItem *> &items)
{
    std::vector<PlannedItem> plan;
    for (const TArchiveItem *item : items) {
        const std::string storedName = item->FileName();
        std::string relative = storedName;
        for (char &c : relative)
            if (c == '\\')
                c = '/';
        PlannedItem::Kind kind = PlannedItem::kFile;
        if (IsFolderEntry(storedName))
            kind = PlannedItem::kFolder;
        else if (LeavesFolder(relative))
            kind = PlannedItem::kRefused;
        else if (IsPasswordProtected(*item))
            kind = PlannedItem::kLocked;
        plan.push_back({item, kind, std::move(relative)});
    }
    return plan;
}

// A name listed twice is one file on disk, written twice: only the disk
// gives the same answer then.
bool HasUniqueFiles(const std::vector<PlannedItem> &plan)
{
    std::set<std::string_view> seen;
    for (const PlannedItem &planned : plan)
        if (planned.kind == PlannedItem::kFile && !seen.insert(planned.relative).second)
            return false;
    return true;
}

bool HasFilesToExtract(const std::vector<PlannedItem> &plan)
{
    for (const PlannedItem &planned : plan)
        if (planned.kind == PlannedItem::kFile)
            return true;
    return false;
}

// Stored files the listing already rules out are named in their turn.
void ReportPassedOver(const PlannedItem &planned, const std::string &archivePath, RunSink &sink)
{
    if (planned.kind == PlannedItem::kRefused)
        sink.OnArchiveSkipped(archivePath, SkipReason::EntryRefused, planned.item->FileName());
    else if (planned.kind == PlannedItem::kLocked)
        sink.OnArchiveSkipped(archivePath, SkipReason::PasswordProtected, planned.item->FileName());
}

}  // namespace

ArchiveSearcher::ArchiveSearcher(ArchiveSearchContext context, std::unique_ptr<FileScanner> scanner)
    : context_(std::move(context)), scanner_(std::move(scanner))
{
}

ArchiveSearcher::~ArchiveSearcher() = default;

ArchiveOutcome ArchiveSearcher::Skip(const std::string &archivePath, SkipReason reason, RunSink &sink,
                                     const std::string &detail)
{
    sink.OnArchiveSkipped(archivePath, reason, detail);
    ArchiveOutcome outcome;
    outcome.status = ArchiveStatus::Skipped;
    outcome.skipReason = reason;
    return outcome;
}

ArchiveOutcome ArchiveSearcher::Search(const std::string &archivePath, RunSink &sink, std::stop_token stop)
{
    if (FileExistsQuiet(archivePath) && FileSizeOf(archivePath) == 0)
        return Skip(archivePath, SkipReason::EmptyFile, sink);

    TArchiveControl control(TControlSurface::Plain);
    control.SetAutomatic(false);
    BindRunEvents(control, context_.settings, stop);
    control.SetTemporarydirectory(context_.workFolder);
    control.LhaOptions().ErrorMessage = true;
    control.LhaOptions().IgnoreBrokenHeader = true;
    control.SetArchiveFile(archivePath);
    // A self-extracting cabinet may have been cut out into the work folder.
    ScopedFileRemoval cabinet(control.ArchiveType() == atCab ? control.CabOptions().CutOutCabinet
                                                             : std::string());
    if (control.ArchiveType() == atNone)
        return Skip(archivePath, SkipReason::NotAnArchive, sink);
    control.ListFiles(context_.storedPattern);
    if (control.Count() == 0)
        return Skip(archivePath, ListingSkipReason(control.ListingError()), sink);

    if (context_.noText)
        return ListStoredFiles(control, archivePath, sink);
    return ExtractAndScan(control, archivePath, sink, stop);
}

ArchiveOutcome ArchiveSearcher::ListStoredFiles(TArchiveControl &control, const std::string &archivePath,
                                                RunSink &sink)
{
    ArchiveOutcome outcome;
    for (const TArchiveItem *item : ListedItems(control)) {
        sink.OnHit(THitRecord{archivePath, item->FileName(), 0, {}});
        sink.OnProgressLine(ProgressLine(archivePath, context_.searchFolder, item->Name(), 0));
        ++outcome.hits;
    }
    return outcome;
}

void ArchiveSearcher::EnsurePattern()
{
    if (patternSet_)
        return;
    if (!scanner_)
        scanner_ = MakeGrepScanner(context_.settings.textEncoding);
    scanner_->SetPattern(context_.cp932Pattern, context_.fuzzy);
    patternSet_ = true;
}

ScanStatus ArchiveSearcher::ScanStoredFile(const std::string &archivePath, const TArchiveItem &item,
                                           RunSink &sink, ArchiveOutcome &outcome,
                                           const std::function<ScanStatus(const MatchedLineHandler &)> &scan)
{
    EnsurePattern();
    const std::string storedName = item.FileName();
    int count = 0;
    const auto onLine = [&](std::int32_t lineNo, std::string_view text) {
        THitRecord hit{archivePath, storedName, lineNo, CutLineText(text)};
        hit.Substitutes = regex::SubstitutionsWithin(scanner_->LineSubstitutions(), hit.LineText.size());
        sink.OnHit(hit);
        ++count;
    };
    const ScanStatus status = scan(onLine);
    outcome.hits += count;
    if (status != ScanStatus::Stopped && count > 0)
        sink.OnProgressLine(ProgressLine(archivePath, context_.searchFolder, item.Name(), count));
    return status;
}

ArchiveOutcome ArchiveSearcher::ExtractAndScan(TArchiveControl &control, const std::string &archivePath,
                                               RunSink &sink, const std::stop_token &stop)
{
    const std::vector<PlannedItem> plan = PlanItems(ListedItems(control));
    PrepareExtractFolder(context_.extractFolder);
    const std::string folder = AppendPathSeparator(context_.extractFolder);

    // While the library extracts, each stored file it hands over in the
    // listing's order is scanned from memory; from the first one that comes
    // otherwise on, files are written and scanned from the folder below.
    ArchiveOutcome outcome;
    HeldEvents held;
    std::size_t next = 0;  // plan entries before it are done
    bool inMemory = (!scanner_ || scanner_->ScansBytes()) && HasUniqueFiles(plan);
    bool stoppedInScan = false;
    control.SetMemoryTaker(kMemoryScanLimit, [&](const std::string &relative, std::string_view bytes) {
        if (!inMemory)
            return ZR_ARC_WRITE;
        for (; next < plan.size() && plan[next].kind != PlannedItem::kFile; ++next)
            ReportPassedOver(plan[next], archivePath, held);
        if (next == plan.size() || plan[next].relative != relative || held.Bytes() > kHeldEventLimit) {
            inMemory = false;
            return ZR_ARC_WRITE;
        }
        const TArchiveItem &item = *plan[next++].item;
        const ScanStatus status = ScanStoredFile(archivePath, item, held, outcome, [&](const auto &onLine) {
            return scanner_->ScanBytes(folder + relative, bytes, onLine, stop);
        });
        if (status == ScanStatus::Stopped) {
            stoppedInScan = true;
            return ZR_ARC_CANCEL;
        }
        return ZR_ARC_TAKEN;
    });

    // A failed extraction still leaves the stored files it wrote: they are
    // searched, and each one missing is reported with the library's reason.
    std::optional<SkipReason> missingReason;
    bool missingReported = false;
    if (HasFilesToExtract(plan)) {
        TArchiveStrings list(control.OptionsFor(control.ArchiveType()), MakeResponseFileName());
        const ScopedFileRemoval responseFile(list.ResponseFileName);
        std::vector<const TArchiveItem *> items;
        for (const PlannedItem &planned : plan)
            if (planned.kind != PlannedItem::kLocked)
                items.push_back(planned.item);
        BuildExtractList(control, items, list);
        list.SetDestDirectory(context_.extractFolder);
        ConfigureExtraction(control, context_.workFolder, context_.settings, true, oeWrite);
        control.SetSilentMode(true);
        int libraryResult = 0;
        control.OnEnd = [&libraryResult](TArchiveControl *, int, int code) { libraryResult = code; };
        const int result = control.Extract(context_.extractFolder, list);
        control.SetMemoryTaker(0, {});
        if (stoppedInScan || (result != 0 && stop.stop_requested()))
            return {ArchiveStatus::Stopped, SkipReason::ExtractionFailed, 0};
        if (result != 0)
            missingReason = MissingEntryReason(libraryResult);
    }
    outcome.hits = held.PassOn(sink, stop);
    if (stop.stop_requested()) {
        outcome.status = ArchiveStatus::Stopped;
        return outcome;
    }

    for (; next < plan.size(); ++next) {
        const PlannedItem &planned = plan[next];
        const std::string storedName = planned.item->FileName();
        if (planned.kind == PlannedItem::kFolder)
            continue;
        if (planned.kind != PlannedItem::kFile) {
            ReportPassedOver(planned, archivePath, sink);
            continue;
        }
        const std::string extracted = folder + planned.relative;
        if (!IsRegularFile(extracted)) {
            if (missingReason && !IsLinkEntry(*planned.item)) {
                sink.OnArchiveSkipped(archivePath, *missingReason, storedName);
                missingReported = true;
            }
            continue;
        }
        const ScopedFileRemoval removal(extracted);
        const ScanStatus status =
            ScanStoredFile(archivePath, *planned.item, sink, outcome,
                           [&](const auto &onLine) { return scanner_->ScanFile(extracted, onLine, stop); });
        if (status == ScanStatus::Stopped) {
            outcome.status = ArchiveStatus::Stopped;
            return outcome;
        }
    }
    // A fault past the last stored file (a damaged end record) still tells.
    if (missingReason && !missingReported && IsArchiveFault(*missingReason))
        sink.OnArchiveSkipped(archivePath, *missingReason, {});
    return outcome;
}

}  // namespace zr::search
