#pragma once
// One pass over one archive: the library offers each matching stored file,
// the session takes the files worth scanning and scans their data as it is
// decompressed. A small file is gathered and scanned at its end; a large
// one is scanned on a second thread while the library goes on
// decompressing, through a bounded queue. An entry's hits are held until
// its data has passed its check, so a damaged entry shows none while the
// entries before it keep theirs; a stop keeps the lines found before it.

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "archive/archiver_binding.h"
#include "search/block_queue.h"
#include "search/file_scanner.h"
#include "search/hit_record.h"
#include "search/nested_archive.h"
#include "search/nested_spool.h"
#include "search/run_sink.h"

namespace zr::search {

struct ArchiveSessionSetup {
    std::string archivePath;
    std::string searchFolder;  // progress lines show the archive relative to it
    bool listOnly = false;     // report the matching names, scan nothing
    // Where a scanner that reads only files gets them; unused otherwise.
    std::string extractFolder;
    // A scanner with the run's pattern that takes its bytes' encoding from
    // them, for stored Office and PDF documents; without it they are
    // scanned as bytes like any stored file.
    std::function<FileScanner &()> documentScanner = {};
    // Where this session stands among archives inside archives.
    NestFrame nest;
};

class ArchiveSession final : public archive::TEntryWalker {
public:
    // scanner: asked for at the first stored file to scan (so a malformed
    // pattern only counts when there is something to search); unused in
    // list-only mode.
    ArchiveSession(ArchiveSessionSetup setup, std::function<FileScanner &()> scanner, RunSink &sink,
                   std::stop_token stop);
    ~ArchiveSession() override;
    ArchiveSession(const ArchiveSession &) = delete;
    ArchiveSession &operator=(const ArchiveSession &) = delete;

    int Offer(const archive::TIndividualInfo &record, std::string_view fullName, int refusal) override;
    bool Data(std::string_view bytes) override;
    void EntryEnd(int result, std::string_view reason) override;
    bool KeepGoing() override { return !stop_.stop_requested(); }

    int Offered() const { return offered_; }
    int Hits() const { return hits_; }
    // A stop ended a scan or the walk inside this archive.
    bool Stopped() const { return stopped_; }
    // An entry was reported damaged (the walk may end on the same fault).
    bool DamageReported() const { return damageReported_; }

    // Entries smaller than this are gathered whole and scanned at their end.
    static constexpr std::size_t kGatherLimit = 1u << 20;
    // What the queue between decompression and scan may hold.
    static constexpr std::size_t kQueueLimit = 4u << 20;
    // A stored file that may be a document is gathered whole up to this
    // size (a document is read by parts, not as a stream); a larger one is
    // scanned as bytes.
    static constexpr std::size_t kDocumentLimit = 32u << 20;

private:
    enum class Mode { kGather, kStream, kFile, kNested, kDiscard };

    void StartStreaming();
    bool StartFile();
    ScanStatus FinishScan(bool dataComplete);
    void CollectLine(std::int32_t lineNo, std::string_view text);
    void PassOnHeld(ScanStatus status);
    // Documents (archive_session_documents.cpp).
    std::size_t GatherLimit(std::string_view next) const;
    bool ScansAsDocument(ScanStatus &status);
    // Archives inside archives (nested_archive_session.cpp).
    int OfferUnwanted(const archive::TIndividualInfo &record, int refusal);
    int TakeForNest();
    bool JudgeHead(std::string_view bytes);
    bool Judge();
    bool SpoolData(std::string_view bytes);
    bool EndNestedOrDiscarded(int result, std::string_view reason);
    void SearchSpooled();
    void ScanSpooledAsFile();
    bool ScansSpoolAsDocument();

    ArchiveSessionSetup setup_;
    std::function<FileScanner &()> scannerSource_;
    FileScanner *scanner_ = nullptr;
    RunSink &sink_;
    std::stop_token stop_;
    int offered_ = 0;
    int hits_ = 0;
    bool stopped_ = false;
    bool damageReported_ = false;
    bool extractFolderReady_ = false;

    // The entry being taken.
    std::string name_;
    bool documentByName_ = false;
    Mode mode_ = Mode::kGather;
    std::string gathered_;
    std::unique_ptr<BlockQueue> queue_;
    std::jthread scanThread_;
    ScanStatus streamStatus_ = ScanStatus::Completed;
    std::exception_ptr streamFailure_;
    std::string filePath_;
    int fileFd_ = -1;
    std::vector<THitRecord> held_;
    // The entry is being judged by its first bytes (it may be an archive).
    bool judgePending_ = false;
    // The user asked for the entry's text (else it is taken only to see
    // whether it is an archive).
    bool wantText_ = true;
    std::unique_ptr<NestedSpool> spool_;
};

}  // namespace zr::search
