// The session's part in archives inside archives: entries that may be
// archives are judged by their first bytes, kept aside when they are, and
// walked with a session of their own once their data has passed its check.

#include <algorithm>

#include "archive/archive_records.h"
#include "archive/archiver_binding.h"
#include "archivers/archiver_api.h"
#include "search/archive_session.h"
#include "search/nested_archive_kind.h"

namespace zr::search {

namespace {

std::string DepthText(int depth) { return "depth " + std::to_string(depth); }

}  // namespace

int ArchiveSession::OfferUnwanted(const archive::TIndividualInfo &record, int refusal)
{
    // Not a name the user asked for: worth taking only as a possible archive.
    if (refusal == ZR_ARC_E_UNSUPPORTED && HasArchiveExtension(name_) &&
        (archive::InfoFlag(record) & ZR_ARC_FLAG_ENCRYPTED))
        sink_.OnArchiveSkipped(setup_.archivePath, SkipReason::PasswordProtected, name_);
    if (refusal != ZR_ARC_OK || !setup_.nest.OpensDeeper())
        return ZR_ARC_WALK_DECLINE;
    if (setup_.listOnly)
        return HasArchiveExtension(name_) ? TakeForNest() : ZR_ARC_WALK_DECLINE;
    if (stop_.stop_requested()) {
        stopped_ = true;
        return ZR_ARC_WALK_STOP;
    }
    held_.clear();
    gathered_.clear();
    mode_ = Mode::kGather;
    judgePending_ = true;
    wantText_ = false;
    return ZR_ARC_WALK_TAKE;
}

int ArchiveSession::TakeForNest()
{
    if (stop_.stop_requested()) {
        stopped_ = true;
        return ZR_ARC_WALK_STOP;
    }
    held_.clear();
    gathered_.clear();
    judgePending_ = false;
    wantText_ = false;
    mode_ = Mode::kNested;
    return ZR_ARC_WALK_TAKE;
}

bool ArchiveSession::JudgeHead(std::string_view bytes)
{
    gathered_.append(bytes);
    return gathered_.size() < kNestHeadBytes || Judge();
}

bool ArchiveSession::Judge()
{
    judgePending_ = false;
    const archive::TArchiveType type =
        NestedArchiveType(std::string_view(gathered_).substr(0, kNestHeadBytes));
    const bool archive =
        type != archive::atNone && !(type == archive::atZip && IsDocumentContainerName(name_));
    if (archive && setup_.nest.OpensDeeper()) {
        mode_ = Mode::kNested;
        const std::string head = std::move(gathered_);
        gathered_.clear();
        return SpoolData(head);
    }
    if (archive && !setup_.nest.ledger->Spent() && setup_.nest.ledger->FirstDepthReport())
        sink_.OnArchiveSkipped(setup_.archivePath, SkipReason::NestTooDeep,
                               DamageDetail(name_, DepthText(setup_.nest.ledger->MaxDepth())));
    if (!wantText_) {
        mode_ = Mode::kDiscard;
        std::string().swap(gathered_);
        return true;
    }
    // A possible document is gathered whole; anything else streams past the limit.
    if (gathered_.size() > GatherLimit({}))
        StartStreaming();
    return true;
}

bool ArchiveSession::SpoolData(std::string_view bytes)
{
    NestLedger &ledger = *setup_.nest.ledger;
    if (!spool_) {
        const std::uint64_t allowance = ledger.MemoryAvailable() / 2;
        ledger.HoldMemory(allowance);
        spool_ = std::make_unique<NestedSpool>(ledger.WorkFolder(), allowance);
    }
    if (spool_->Write(bytes))
        return true;
    // The stored archive cannot be kept: the rest of this archive goes on.
    sink_.OnArchiveSkipped(setup_.archivePath,
                           spool_->Failure() == "larger than the file-size limit" ? SkipReason::EntryTooLarge
                                                                                  : SkipReason::NestLimit,
                           DamageDetail(name_, spool_->Failure()));
    mode_ = Mode::kDiscard;
    return true;
}

bool ArchiveSession::EndNestedOrDiscarded(int result, std::string_view reason)
{
    if (judgePending_ && result == ZR_ARC_OK)
        Judge();  // an entry shorter than a head
    judgePending_ = false;
    if (mode_ != Mode::kNested && mode_ != Mode::kDiscard)
        return false;
    const bool nested = mode_ == Mode::kNested;
    switch (result) {
    case ZR_ARC_OK:
        if (nested && spool_)
            SearchSpooled();
        break;
    case ZR_ARC_E_CANCELLED:
        stopped_ = stopped_ || stop_.stop_requested();
        break;
    case ZR_ARC_E_TOO_LARGE:
        if (nested)
            sink_.OnArchiveSkipped(setup_.archivePath, SkipReason::EntryTooLarge, name_);
        break;
    default:
        if (nested) {
            damageReported_ = true;
            sink_.OnArchiveSkipped(setup_.archivePath, SkipReason::Damaged, DamageDetail(name_, reason));
        }
        break;
    }
    if (spool_) {
        setup_.nest.ledger->ReleaseMemory(spool_->MemoryReserved());
        spool_.reset();
    }
    mode_ = Mode::kGather;
    return true;
}

void ArchiveSession::SearchSpooled()
{
    NestLedger &ledger = *setup_.nest.ledger;
    const NestFrame child = setup_.nest.Child(name_, *spool_);
    // An archive that holds itself (a quine) would go on to the depth limit
    // at the cost of a full decompression per level: it ends here.
    const auto mark = child.enclosing.back();
    if (std::find(child.enclosing.begin(), child.enclosing.end() - 1, mark) != child.enclosing.end() - 1 ||
        SpoolHoldsFile(*spool_, ledger.DiskArchivePath())) {
        sink_.OnArchiveSkipped(setup_.archivePath, SkipReason::NestLimit,
                               DamageDetail(name_, "holds an archive that encloses it"));
        return;
    }
    // An Office or OpenDocument file is a ZIP too: it is read as a document.
    if (ScansSpoolAsDocument())
        return;
    archive::TArchiverBinding *binding = archive::BindingFor(NestedArchiveType(spool_->Head()));
    if (!binding) {
        ScanSpooledAsFile();
        return;
    }
    ArchiveSessionSetup childSetup{setup_.archivePath, setup_.searchFolder, setup_.listOnly,
                                   setup_.extractFolder, setup_.documentScanner, child};
    ChainSink chainSink(sink_, name_);
    ArchiveSession session(childSetup, scannerSource_, chainSink, stop_);
    const std::uint32_t mode = binding->Type() == archive::atLha ? ZR_ARC_OPEN_BROKEN_HEADERS : 0;
    std::string message;
    const int result = binding->WalkEntries(spool_->Path(), child.WalkPattern(), mode, session, &message);
    hits_ += session.Hits();
    offered_ += session.Offered();
    if (stop_.stop_requested()) {
        stopped_ = true;
        return;
    }
    if (ledger.Spent()) {
        if (ledger.FirstBudgetReport())
            sink_.OnArchiveSkipped(setup_.archivePath, SkipReason::NestLimit,
                                   DamageDetail(name_, "more data than one archive may decompress"));
        return;
    }
    switch (result) {
    case ZR_ARC_OK:
    case ZR_ARC_E_CANCELLED:
        return;
    case ZR_ARC_E_UNSUPPORTED:
        sink_.OnArchiveSkipped(setup_.archivePath, SkipReason::PasswordProtected, name_);
        return;
    default:
        if (!session.DamageReported())
            sink_.OnArchiveSkipped(setup_.archivePath, SkipReason::Damaged, DamageDetail(name_, message));
        // Looked like an archive but gave nothing: its bytes are searched as
        // a plain file's, so no text of it is lost to the damage.
        if (session.Hits() == 0)
            ScanSpooledAsFile();
        return;
    }
}

void ArchiveSession::ScanSpooledAsFile()
{
    if (!wantText_ || setup_.listOnly)
        return;
    held_.clear();
    const auto onLine = [this](std::int32_t lineNo, std::string_view text) { CollectLine(lineNo, text); };
    SpoolByteStream bytes(*spool_);
    const ScanStatus status = scanner_->ScanStream(name_, bytes, onLine, stop_);
    PassOnHeld(status);
    if (status == ScanStatus::Stopped)
        stopped_ = true;
}

}  // namespace zr::search
