#pragma once
// The work on one archive: one walk of its entries through its library, the
// matching stored files either reported (list-only mode) or scanned as they
// are decompressed (see archive_session.h). It can run anywhere the archiver
// libraries can: in the run's thread or in a helper process.

#include <functional>
#include <memory>
#include <stop_token>
#include <string>

#include "search/file_scanner.h"
#include "search/run_options.h"
#include "search/run_sink.h"
#include "search/search_inputs.h"

namespace zr::search {

// What stays the same for every archive of one run.
struct ArchiveSearchContext {
    std::string searchFolder;   // progress lines show archives relative to it
    std::string storedPattern;  // blank-separated stored-file wildcards
    bool noText = false;        // list-only mode
    std::string cp932Pattern;   // the search string in the text code page
    bool fuzzy = true;
    std::string workFolder;
    std::string extractFolder;
    RunSettings settings;
};

enum class ArchiveStatus {
    Searched,
    Skipped,  // see skipReason; already reported to the sink
    Stopped,  // the stop token ended the work inside this archive
};

struct ArchiveOutcome {
    ArchiveStatus status = ArchiveStatus::Searched;
    SkipReason skipReason = SkipReason::NotAnArchive;
    int hits = 0;
};

class ContentCache;

class ArchiveSearcher {
public:
    // scanner: used for every stored file (null = the grep component).
    ArchiveSearcher(ArchiveSearchContext context, std::unique_ptr<FileScanner> scanner = nullptr);
    ~ArchiveSearcher();
    ArchiveSearcher(const ArchiveSearcher &) = delete;
    ArchiveSearcher &operator=(const ArchiveSearcher &) = delete;

    // Hits and progress lines go to sink as they are found. Throws what ends a
    // run (malformed pattern, extraction folder failure, out of memory).
    ArchiveOutcome Search(const std::string &archivePath, RunSink &sink, std::stop_token stop,
                          TypeJudgement judgement = TypeJudgement::ByName);

    const ArchiveSearchContext &Context() const { return context_; }
    // The content cache of this searcher; null when the run has none.
    ContentCache *Cache();

private:
    ArchiveOutcome Skip(const std::string &archivePath, SkipReason reason, RunSink &sink,
                        const std::string &detail = {});
    void EnsurePattern();
    // Office and PDF documents (archive_searcher_documents.cpp).
    FileScanner &DocumentScanner();
    bool IsDocumentFile(const std::string &path, TypeJudgement judgement) const;
    ArchiveOutcome SearchDocumentFile(const std::string &path, RunSink &sink, std::stop_token stop);

    ArchiveSearchContext context_;
    std::unique_ptr<FileScanner> scanner_;
    std::unique_ptr<FileScanner> documentScanner_;
    bool patternSet_ = false;
    bool nestDepthReported_ = false;  // the nest depth limit is reported once
    std::unique_ptr<ContentCache> cache_;
};

}  // namespace zr::search
