// The archive session's side of stored Office and PDF documents: gathered
// whole, recognised by their content, read as text with places.

#include "documents/document_detection.h"
#include "search/archive_session.h"
#include "search/document_scan.h"
#include "search/nested_spool.h"
#include "search/run_texts.h"

namespace zr::search {

std::size_t ArchiveSession::GatherLimit(std::string_view next) const
{
    if (!setup_.documentScanner)
        return kGatherLimit;
    const std::string_view head = gathered_.empty() ? next : std::string_view(gathered_);
    return documentByName_ || documents::ContentMayBeDocument(head) ? kDocumentLimit : kGatherLimit;
}

bool ArchiveSession::ScansAsDocument(ScanStatus &status)
{
    if (!setup_.documentScanner)
        return false;
    const documents::DocumentKind kind = StoredDocumentKind(gathered_);
    if (kind == documents::DocumentKind::None)
        return false;
    FileScanner &scanner = setup_.documentScanner();
    const DocumentScanOutcome outcome = ScanDocument(
        gathered_, kind, name_, scanner,
        [this](THitRecord hit, const std::string &) {
            hit.ArchivePath = setup_.archivePath;
            hit.StoredName = name_;
            hit.Via = setup_.nest.via;
            held_.push_back(std::move(hit));
        },
        stop_);
    std::string().swap(gathered_);
    // The stored file itself is intact (its check passed): what the
    // document lacks is reported beside the lines that could be read.
    if (outcome.reading.status == documents::DocumentStatus::PasswordProtected)
        sink_.OnArchiveSkipped(setup_.archivePath, SkipReason::PasswordProtected, name_);
    else if (outcome.reading.status == documents::DocumentStatus::Damaged)
        sink_.OnArchiveSkipped(setup_.archivePath, SkipReason::Damaged,
                               DamageDetail(name_, outcome.reading.reason));
    status = outcome.scan;
    return true;
}

bool ArchiveSession::ScansSpoolAsDocument()
{
    if (!setup_.documentScanner || !wantText_ || setup_.listOnly || spool_->Size() > kDocumentLimit ||
        !documents::ContentMayBeDocument(spool_->Head()))
        return false;
    std::string bytes(static_cast<std::size_t>(spool_->Size()), '\0');
    std::size_t got = 0;
    while (got < bytes.size()) {
        const std::size_t n = spool_->ReadAt(got, bytes.data() + got, bytes.size() - got);
        if (n == 0)
            return false;
        got += n;
    }
    if (documents::DocumentKindByContent(bytes) == documents::DocumentKind::None)
        return false;
    gathered_ = std::move(bytes);
    held_.clear();
    ScanStatus status = ScanStatus::Completed;
    ScansAsDocument(status);
    PassOnHeld(status);
    if (status == ScanStatus::Stopped)
        stopped_ = true;
    return true;
}

}  // namespace zr::search
