#include "search/search_run.h"

#include <utility>

#include <algorithm>
#include <exception>
#include <new>

#include "filefind/file_find.h"
#include "platform/codepage.h"
#include "regex/scanner_error.h"
#include "search/archive_searcher.h"
#include "search/content_cache.h"
#include "search/file_scanner.h"
#include "search/run_texts.h"
#include "search/search_errors.h"
#include "search/unsearched_archives.h"
#include "search/work_folder.h"
#include "search/worker_archive_search.h"
#include "util/file_queries.h"
#include "util/folder_delete.h"
#include "util/path_names.h"

namespace zr::search {
namespace {

// Keeps every hit in the run's list before passing it on.
class RecordingSink : public RunSink {
public:
    RecordingSink(RunSink &target, HitList *hits, HitCounter &counter)
        : target_(target), hits_(hits), counter_(counter)
    {
    }

    void OnArchivesFound(int count, const std::string &labelText) override
    {
        target_.OnArchivesFound(count, labelText);
    }
    void OnArchiveStarted(int index, int count, const std::string &path) override
    {
        target_.OnArchiveStarted(index, count, path);
    }
    void OnArchiveDispatched(int index, int count, const std::string &path) override
    {
        target_.OnArchiveDispatched(index, count, path);
    }
    void OnProgressLine(const std::string &text) override { target_.OnProgressLine(text); }
    void OnHit(const THitRecord &hit) override
    {
        if (hits_)
            hits_->Append(hit);
        counter_.Add(hit);
        target_.OnHit(hit);
    }
    void OnArchiveSkipped(const std::string &path, SkipReason reason, const std::string &detail) override
    {
        // Each worker tells the nest depth limit once; the run tells it once.
        if (reason == SkipReason::NestTooDeep && std::exchange(nestDepthTold_, true))
            return;
        if (reason == SkipReason::WorkerFailed)
            failed_.push_back(path + ": " + detail);
        unsearched_.Note(path, reason, detail);
        target_.OnArchiveSkipped(path, reason, detail);
    }

    const std::vector<std::string> &FailedArchives() const { return failed_; }
    UnsearchedArchives &Unsearched() { return unsearched_; }

private:
    RunSink &target_;
    HitList *hits_;  // null when the caller keeps no list
    HitCounter &counter_;
    std::vector<std::string> failed_;  // "path: reason" of archives whose worker failed
    UnsearchedArchives unsearched_;
    bool nestDepthTold_ = false;
};

std::string ToCp932(const std::string &searchText)
{
    const platform::ConversionResult converted = platform::Utf8ToCp932(searchText);
    if (!converted.ok)
        throw ESearchTextEncoding("検索する文字列に Shift_JIS で表せない文字があります (" +
                                  std::to_string(converted.errorOffset + 1) + " バイト目)");
    return converted.text;
}

void AppendLines(std::vector<std::string> &to, const std::vector<std::string> &lines)
{
    to.insert(to.end(), lines.begin(), lines.end());
}

struct FoundArchives {
    std::vector<CandidateArchive> archives;
    std::vector<std::string> unreadableFolders;  // "path: reason", each once
    int linkedFoldersNotFollowed = 0;
};

void FindInFolder(const std::string &folder, const std::string &pattern, bool subFolders, bool followLinks,
                  FoundArchives &found)
{
    TFileFind finder;
    finder.MatchCaseSensitive = false;
    finder.MatchEnabled = false;
    finder.Recursive = subFolders;
    finder.AddDir = false;
    finder.FollowLinks = followLinks;
    finder.SetStartDir(folder);
    finder.SetFilePattern(pattern);
    const auto noteUnreadable = [&found](const std::string &path, int error) {
        std::string line = path + ": " + FolderErrorText(error);
        if (std::find(found.unreadableFolders.begin(), found.unreadableFolders.end(), line) ==
            found.unreadableFolders.end())
            found.unreadableFolders.push_back(std::move(line));
    };
    try {
        finder.Execute();
    } catch (const EFileFindChDir &e) {
        noteUnreadable(e.Folder(), e.Error());
    } catch (const std::exception &) {
        // Out of handles: the walk ends; what was found is searched.
    }
    for (const SkippedPath &skipped : finder.Skipped())
        noteUnreadable(skipped.path, skipped.error);
    for (const std::string &path : finder.FilesFound())
        found.archives.push_back({path, TypeJudgement::ByName});
    found.linkedFoldersNotFollowed += finder.LinkedFoldersNotFollowed();
}

// Each input in its order: a folder's archives in walk order, an archive file
// as itself (the archive-name pattern does not apply to it).
FoundArchives FindArchives(const std::vector<SearchInput> &inputs, const std::string &pattern,
                           bool subFolders, bool followLinks)
{
    FoundArchives found;
    for (const SearchInput &input : inputs) {
        if (input.kind == SearchInput::Kind::Folder)
            FindInFolder(NormalizeFolderPath(input.path), pattern, subFolders, followLinks, found);
        else
            found.archives.push_back({input.path, TypeJudgement::ByContent});
    }
    return found;
}

// What the walk left out, at the end of the result view.
void AppendFolderNotes(RunSummary &summary)
{
    if (summary.linkedFoldersNotFollowed > 0)
        summary.viewLines.push_back(LinkedFoldersLine(summary.linkedFoldersNotFollowed));
    if (!summary.unreadableFolders.empty())
        AppendLines(summary.viewLines, UnreadableFoldersLines(summary.unreadableFolders));
}

// The worker program for this run, or "" to search in this process.
std::string WorkerProgramFor(const RunOptions &options)
{
    if (!options.useWorkers || options.scannerFactory)
        return {};
    return options.workerProgram.empty() ? DefaultWorkerProgram() : options.workerProgram;
}

std::string WorkersFolder(const std::string &workFolder)
{
    return AppendPathSeparator(workFolder) + "~WORKERS";
}

}  // namespace

void HitCounter::Add(const THitRecord &hit)
{
    const bool newArchive = hits_ == 0 || hit.ArchivePath != lastArchive_;
    if (newArchive || hit.StoredName != lastStored_ || hit.Via != lastVia_)
        ++files_;
    if (newArchive)
        ++archives_;
    ++hits_;
    if (newArchive)
        lastArchive_ = hit.ArchivePath;
    lastStored_ = hit.StoredName;
    lastVia_ = hit.Via;
}

void SearchRun::FillCounts(RunSummary &summary) const
{
    summary.hitCount = counter_.Hits();
    summary.archiveCount = counter_.Archives();
    summary.fileCount = counter_.Files();
    if (summary.hitCount > 0)
        summary.resultLabel =
            HitsFoundLabel(summary.hitCount, summary.archiveCount, summary.fileCount, summary.stopped);
}

SearchRun::SearchRun(SearchConditions conditions, RunOptions options)
    : conditions_(std::move(conditions)), options_(std::move(options))
{
    inputs_.push_back({SearchInput::Kind::Folder, conditions_.folder});
}

SearchRun::SearchRun(SearchConditions conditions, std::vector<SearchInput> inputs, RunOptions options)
    : conditions_(std::move(conditions)), inputs_(std::move(inputs)), options_(std::move(options))
{
}

RunSummary SearchRun::Run(RunSink &sink, std::stop_token stop)
{
    hits_.Clear();
    counter_ = HitCounter();
    RunSummary summary;
    try {
        summary = RunSteps(sink, stop);
    } catch (const regex::ERegExpParser &e) {
        summary.errorMessage = e.what();
        summary.patternErrorPosition = e.Position();
    } catch (const std::bad_alloc &) {
        summary.errorMessage = EMemoryAllocate().what();
    } catch (const std::exception &e) {
        summary.errorMessage = e.what();
    } catch (...) {
        summary.errorMessage = "検索を続けられませんでした。";
    }
    if (summary.Failed()) {
        // The hits gathered so far stay visible; the window leaves the searching state.
        summary.stopped = stop.stop_requested();
        FillCounts(summary);
        summary.finalState = rsFinished;
    }
    // Nothing this run extracted stays behind.
    if (!options_.workFolder.empty()) {
        DeleteFolderTree(ExtractFolderName(options_.workFolder), false);
        if (FolderExists(WorkersFolder(options_.workFolder)))
            DeleteFolderTree(WorkersFolder(options_.workFolder), true);
    }
    sink.OnFinished(summary);
    return summary;
}

RunSummary SearchRun::RunSteps(RunSink &sink, std::stop_token stop)
{
    RunSummary summary;
    // Progress lines show archives relative to the one folder searched, and
    // in full when there are other inputs.
    const bool oneFolder = inputs_.size() == 1 && inputs_[0].kind == SearchInput::Kind::Folder;
    const std::string folder = oneFolder ? NormalizeFolderPath(inputs_[0].path) : std::string();
    const std::string places = oneFolder ? folder : InputsText(inputs_);
    const std::string archivePattern = ArchiveNamePattern(conditions_);
    const std::string storedPattern = StoredFilePattern(conditions_.storedFiles);
    const bool noText = IsNoTextSearch(conditions_.searchText);

    ArchiveSearchContext context;
    context.searchFolder = folder;
    context.storedPattern = storedPattern;
    context.noText = noText;
    context.cp932Pattern =
        noText ? std::string()
               : ScannerPattern(ToCp932(conditions_.searchText), conditions_.regularExpression);
    context.fuzzy = options_.fuzzy && conditions_.fuzzy;
    context.workFolder = options_.workFolder;
    context.extractFolder = ExtractFolderName(options_.workFolder);
    context.settings = options_.settings;
    context.settings.nest.enabled = context.settings.nest.enabled && conditions_.nestedArchives;

    FoundArchives found =
        FindArchives(inputs_, archivePattern, conditions_.subFolders, options_.settings.followLinks);
    const std::vector<CandidateArchive> &archives = found.archives;
    summary.unreadableFolders = std::move(found.unreadableFolders);
    summary.linkedFoldersNotFollowed = found.linkedFoldersNotFollowed;
    const int count = static_cast<int>(archives.size());
    summary.candidateCount = count;
    sink.OnArchivesFound(count, ArchivesFoundLabel(count));
    if (archives.empty()) {
        summary.noArchiveFound = true;
        summary.beep = true;
        summary.resultLabel = NoArchiveFoundLabel();
        summary.viewLines = NoArchiveLines(places, archivePattern);
        AppendFolderNotes(summary);
        return summary;
    }

    if (options_.workFolder.empty())
        throw ETempError("作業フォルダが作成できません。フォルダ名 = ");
    PrepareExtractFolder(context.extractFolder);
    summary.cacheNotice = PrepareRunCache(context.settings.cache);
    RecordingSink recorder(sink, options_.keepHits ? &hits_ : nullptr, counter_);
    // List-only runs scan nothing, so they need no scanner.
    std::unique_ptr<FileScanner> scanner;
    if (!noText && options_.scannerFactory)
        scanner = options_.scannerFactory();
    std::unique_ptr<WorkerArchiveSearch> workers;
    if (const std::string program = WorkerProgramFor(options_); !program.empty())
        workers = std::make_unique<WorkerArchiveSearch>(
            context, program, WorkersFolder(options_.workFolder),
            options_.workerLimits.value_or(
                worker::MakeWorkerLimits(options_.settings.workerLimits, options_.workFolder)),
            options_.workerCount > 0 ? options_.workerCount : DefaultWorkerCount());
    ArchiveSearcher searcher(std::move(context), std::move(scanner));
    if (workers)
        summary.stopped = workers->SearchAll(archives, recorder, stop);
    for (int i = 0; i < count && !workers; ++i) {
        if (stop.stop_requested()) {
            summary.stopped = true;
            break;
        }
        sink.OnArchiveStarted(i, count, archives[i].path);
        const ArchiveOutcome outcome =
            searcher.Search(archives[i].path, recorder, stop, archives[i].judgement);
        if (outcome.status == ArchiveStatus::Stopped) {
            summary.stopped = true;
            break;
        }
    }

    FillCounts(summary);
    if (summary.hitCount == 0) {
        summary.resultLabel = NoHitLabel(noText);
        summary.beep = true;
    }
    summary.viewLines = ConditionLines(conditions_.searchText, places, archivePattern, storedPattern);
    summary.failedArchives = recorder.FailedArchives();
    if (!summary.failedArchives.empty())
        summary.viewLines.push_back(FailedArchivesLine(static_cast<int>(summary.failedArchives.size())));
    recorder.Unsearched().MoveInto(summary);
    AppendLines(summary.viewLines, UnsearchedArchivesLines(summary, folder));
    AppendFolderNotes(summary);
    return summary;
}

RunSummary RunSearch(const SearchConditions &conditions, const RunOptions &options, RunSink &sink,
                     std::stop_token stop)
{
    return SearchRun(conditions, options).Run(sink, stop);
}

RunSummary RunSearch(const SearchConditions &conditions, const std::vector<SearchInput> &inputs,
                     const RunOptions &options, RunSink &sink, std::stop_token stop)
{
    return SearchRun(conditions, inputs, options).Run(sink, stop);
}

}  // namespace zr::search
