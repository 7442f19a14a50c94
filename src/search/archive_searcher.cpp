#include "search/archive_searcher.h"

#include "regex/line_display.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <vector>

#include "archive/archive_control.h"
#include "archivers/archiver_api.h"
#include "search/extraction_helpers.h"
#include "search/extraction_setup.h"
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

std::vector<const TArchiveItem *> ListedItems(const TArchiveControl &control)
{
    std::vector<const TArchiveItem *> items;
    for (int i = 0; i < control.Count(); ++i)
        items.push_back(control.Items(i));
    return items;
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
        return Skip(archivePath, SkipReason::NoMatchingEntries, sink);

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

ArchiveOutcome ArchiveSearcher::ExtractAndScan(TArchiveControl &control, const std::string &archivePath,
                                               RunSink &sink, const std::stop_token &stop)
{
    const std::vector<const TArchiveItem *> items = ListedItems(control);
    PrepareExtractFolder(context_.extractFolder);
    // Entries past the file-size limit or with names that leave the folder
    // were left out; the rest was extracted and is searched.
    bool someTooLarge = false;
    {
        TArchiveStrings list(control.OptionsFor(control.ArchiveType()), MakeResponseFileName());
        const ScopedFileRemoval responseFile(list.ResponseFileName);
        BuildExtractList(control, items, list);
        list.SetDestDirectory(context_.extractFolder);
        ConfigureExtraction(control, context_.workFolder, context_.settings, true, oeWrite);
        control.SetSilentMode(true);
        int libraryResult = 0;
        control.OnEnd = [&libraryResult](TArchiveControl *, int, int code) { libraryResult = code; };
        const int result = control.Extract(context_.extractFolder, list);
        someTooLarge = result != 0 && libraryResult == ZR_ARC_E_TOO_LARGE;
        const bool someRefused = result != 0 && libraryResult == ZR_ARC_E_UNSAFE_NAME;
        if (result != 0 && !someTooLarge && !someRefused) {
            if (stop.stop_requested())
                return {ArchiveStatus::Stopped, SkipReason::ExtractionFailed, 0};
            return Skip(archivePath, SkipReason::ExtractionFailed, sink);
        }
    }

    ArchiveOutcome outcome;
    for (const TArchiveItem *item : items) {
        const std::string storedName = item->FileName();
        if (IsFolderEntry(storedName))
            continue;
        std::string relative = storedName;
        for (char &c : relative)
            if (c == '\\')
                c = '/';
        if (LeavesFolder(relative)) {
            sink.OnArchiveSkipped(archivePath, SkipReason::EntryRefused, storedName);
            continue;
        }
        const std::string extracted = AppendPathSeparator(context_.extractFolder) + relative;
        if (!IsRegularFile(extracted)) {
            if (someTooLarge)
                sink.OnArchiveSkipped(archivePath, SkipReason::EntryTooLarge, storedName);
            continue;
        }

        const ScopedFileRemoval removal(extracted);
        if (!patternSet_) {
            if (!scanner_)
                scanner_ = MakeGrepScanner(context_.settings.textEncoding);
            scanner_->SetPattern(context_.cp932Pattern, context_.fuzzy);
            patternSet_ = true;
        }
        int count = 0;
        const auto onLine = [&](std::int32_t lineNo, std::string_view text) {
            THitRecord hit{archivePath, storedName, lineNo, CutLineText(text)};
            hit.Substitutes = regex::SubstitutionsWithin(scanner_->LineSubstitutions(), hit.LineText.size());
            sink.OnHit(hit);
            ++count;
        };
        const ScanStatus status = scanner_->ScanFile(extracted, onLine, stop);
        outcome.hits += count;
        if (status == ScanStatus::Stopped) {
            outcome.status = ArchiveStatus::Stopped;
            return outcome;
        }
        if (count > 0)
            sink.OnProgressLine(ProgressLine(archivePath, context_.searchFolder, item->Name(), count));
    }
    return outcome;
}

}  // namespace zr::search
