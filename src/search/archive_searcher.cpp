#include "search/archive_searcher.h"

#include "archive/archive_detection.h"
#include "archive/archiver_binding.h"
#include "archivers/archiver_api.h"
#include "search/archive_session.h"
#include "search/content_cache_walk.h"
#include "util/file_queries.h"

namespace zr::search {

using namespace zr::archive;

namespace {

// The type an archive is walked as: its extension names the library, which
// detects the format itself as it opens the file. An executable is probed
// library by library (the self-extractors), and so is an archive the user
// named directly when its extension names no library or that library
// refuses it. When no library accepts such a file it is still walked by its
// extension's library, so damage is reported as damage.
TArchiveType WalkedType(const std::string &archivePath, TypeJudgement judgement)
{
    if (UpperExtension(archivePath) == ".EXE")
        return DetectArchiveType(archivePath, {true, TSupportArchives()});
    if (judgement == TypeJudgement::ByContent) {
        const TArchiveType byContent = DetectArchiveType(archivePath, {true, TSupportArchives(), true});
        if (byContent != atNone)
            return byContent;
    }
    return TypeFromExtension(archivePath);
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

ArchiveOutcome ArchiveSearcher::Search(const std::string &archivePath, RunSink &sink, std::stop_token stop,
                                       TypeJudgement judgement)
{
    if (FileExistsQuiet(archivePath) && FileSizeOf(archivePath) == 0)
        return Skip(archivePath, SkipReason::EmptyFile, sink);
    if (IsDocumentFile(archivePath, judgement))
        return SearchDocumentFile(archivePath, sink, stop);
    TArchiverBinding *binding = BindingFor(WalkedType(archivePath, judgement));
    if (!binding)
        return Skip(archivePath, SkipReason::NotAnArchive, sink);
    NestLedger ledger(context_.settings.nest, archivePath, context_.extractFolder, &nestDepthReported_);
    const NestFrame nest = NestFrame::Top(&ledger, context_.storedPattern);
    ArchiveSession session(
        {archivePath, context_.searchFolder, context_.noText, context_.extractFolder,
         [this]() -> FileScanner & { return DocumentScanner(); }, nest},
        [this]() -> FileScanner & {
            EnsurePattern();
            return *scanner_;
        },
        sink, stop);
    // Lha archives are read past broken leading headers, as the search always did.
    const std::uint32_t mode = binding->Type() == atLha ? ZR_ARC_OPEN_BROKEN_HEADERS : 0;
    std::string message;
    const int result = WalkThroughCache(Cache(), *binding,
                                        {archivePath, nest.WalkPattern(), mode, context_.noText}, session,
                                        &message);

    ArchiveOutcome outcome;
    outcome.hits = session.Hits();
    if (session.Stopped() || (result == ZR_ARC_E_CANCELLED && stop.stop_requested())) {
        outcome.status = ArchiveStatus::Stopped;
        return outcome;
    }
    switch (result) {
    case ZR_ARC_OK:
        if (session.Offered() == 0)
            return Skip(archivePath, SkipReason::NoMatchingEntries, sink);
        return outcome;
    case ZR_ARC_E_UNSUPPORTED:
        return Skip(archivePath, SkipReason::PasswordProtected, sink);
    case ZR_ARC_E_DATA:
        // The entries before the damage were searched and keep their hits.
        if (!session.DamageReported())
            sink.OnArchiveSkipped(archivePath, SkipReason::Damaged, DamageDetail({}, message));
        return outcome;
    case ZR_ARC_E_CANCELLED:
        return Skip(archivePath, SkipReason::ExtractionFailed, sink, message);
    default:
        if (session.Offered() == 0)
            return Skip(archivePath, SkipReason::NotAnArchive, sink);
        sink.OnArchiveSkipped(archivePath, SkipReason::Damaged, DamageDetail({}, message));
        return outcome;
    }
}

ContentCache *ArchiveSearcher::Cache()
{
    if (!cache_ && !context_.settings.cache.folder.empty()) {
        cache_ = std::make_unique<ContentCache>(context_.settings.cache);
        cache_->Prepare();
    }
    return cache_.get();
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

}  // namespace zr::search
