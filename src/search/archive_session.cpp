#include "search/archive_session.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

#include "archive/archive_records.h"
#include "archive/stored_name.h"
#include "archivers/archiver_api.h"
#include "documents/document_detection.h"
#include "platform/replace_file.h"
#include "regex/line_display.h"
#include "search/nested_archive_kind.h"
#include "search/run_texts.h"
#include "search/work_folder.h"

namespace zr::search {


ArchiveSession::ArchiveSession(ArchiveSessionSetup setup, std::function<FileScanner &()> scanner,
                               RunSink &sink, std::stop_token stop)
    : setup_(std::move(setup)), scannerSource_(std::move(scanner)), sink_(sink), stop_(std::move(stop))
{
}

ArchiveSession::~ArchiveSession()
{
    // Only after a failure inside the walk: the scan thread must not wait on
    // a queue nobody fills any more.
    if (queue_) {
        queue_->Quit();
        queue_->Close();
    }
    if (fileFd_ >= 0) {
        ::close(fileFd_);
        ::unlink(filePath_.c_str());
    }
}

int ArchiveSession::Offer(const archive::TIndividualInfo &record, std::string_view fullName, int refusal)
{
    const std::string name = setup_.nest.EntryName(fullName);
    name_ = name;
    if (!setup_.nest.Wants(name))
        return OfferUnwanted(record, refusal);
    ++offered_;
    if (setup_.listOnly) {
        THitRecord hit{setup_.archivePath, name, 0, {}};
        hit.Via = setup_.nest.via;
        sink_.OnHit(hit);
        sink_.OnProgressLine(
            ProgressLine(setup_.archivePath, setup_.searchFolder, archive::StoredBaseName(name), 0));
        ++hits_;
        return refusal == ZR_ARC_OK && setup_.nest.OpensDeeper() && HasArchiveExtension(name) ? TakeForNest()
                                                                                             : ZR_ARC_WALK_DECLINE;
    }
    switch (refusal) {
    case ZR_ARC_OK:
        break;
    case ZR_ARC_E_UNSAFE_NAME:
        sink_.OnArchiveSkipped(setup_.archivePath, SkipReason::EntryRefused, name);
        return ZR_ARC_WALK_DECLINE;
    case ZR_ARC_E_UNSUPPORTED:
        sink_.OnArchiveSkipped(setup_.archivePath,
                               (archive::InfoFlag(record) & ZR_ARC_FLAG_ENCRYPTED)
                                   ? SkipReason::PasswordProtected
                                   : SkipReason::ExtractionFailed,
                               name);
        return ZR_ARC_WALK_DECLINE;
    default:  // folders, links and devices hold no text
        return ZR_ARC_WALK_DECLINE;
    }
    if (stop_.stop_requested()) {
        stopped_ = true;
        return ZR_ARC_WALK_STOP;
    }
    if (!scanner_)
        scanner_ = &scannerSource_();
    held_.clear();
    gathered_.clear();
    streamStatus_ = ScanStatus::Completed;
    streamFailure_ = nullptr;
    judgePending_ = false;
    wantText_ = true;
    if (!scanner_->ScansBytes()) {
        mode_ = Mode::kFile;
        return StartFile() ? ZR_ARC_WALK_TAKE : ZR_ARC_WALK_DECLINE;
    }
    mode_ = Mode::kGather;
    documentByName_ = documents::DocumentKindByName(name) != documents::DocumentKind::None;
    judgePending_ = setup_.nest.Enabled();
    return ZR_ARC_WALK_TAKE;
}

bool ArchiveSession::StartFile()
{
    if (!extractFolderReady_) {
        PrepareExtractFolder(setup_.extractFolder);
        extractFolderReady_ = true;
    }
    // Named as stored, so a scanner that looks at the name sees it; one name
    // at a time, removed after its scan.
    std::string base = archive::StoredBaseName(name_);
    if (base.empty() || base == "." || base.size() > 200)
        base = "entry";
    filePath_ = setup_.extractFolder + "/" + base;
    fileFd_ = ::open(filePath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fileFd_ < 0) {
        sink_.OnArchiveSkipped(setup_.archivePath, SkipReason::ExtractionFailed, name_);
        return false;
    }
    return true;
}

void ArchiveSession::CollectLine(std::int32_t lineNo, std::string_view text)
{
    THitRecord hit{setup_.archivePath, name_, lineNo, CutLineText(text)};
    hit.Via = setup_.nest.via;
    hit.Substitutes = regex::SubstitutionsWithin(scanner_->LineSubstitutions(), hit.LineText.size());
    held_.push_back(std::move(hit));
}

void ArchiveSession::StartStreaming()
{
    mode_ = Mode::kStream;
    queue_ = std::make_unique<BlockQueue>(kQueueLimit);
    BlockQueue &queue = *queue_;
    scanThread_ = std::jthread([this, &queue] {
        try {
            streamStatus_ = scanner_->ScanStream(
                name_, queue,
                [this](std::int32_t lineNo, std::string_view text) { CollectLine(lineNo, text); }, stop_);
        } catch (...) {
            streamFailure_ = std::current_exception();
        }
        // Whatever is still pushed is not wanted.
        queue.Quit();
    });
    queue.Push(gathered_);
    std::string().swap(gathered_);
}

bool ArchiveSession::Data(std::string_view bytes)
{
    if (stop_.stop_requested()) {
        stopped_ = true;
        return false;
    }
    if (setup_.nest.depth > 0 && !setup_.nest.ledger->ChargeData(bytes.size()))
        return false;
    switch (mode_) {
    case Mode::kGather:
        if (judgePending_)
            return JudgeHead(bytes);
        if (gathered_.size() + bytes.size() <= GatherLimit(bytes)) {
            gathered_.append(bytes);
            return true;
        }
        StartStreaming();
        [[fallthrough]];
    case Mode::kStream:
        // The scan ends early only when stopped or failed.
        return queue_->Push(bytes);
    case Mode::kFile:
        return platform::WriteAllBytes(fileFd_, bytes) ||
               (sink_.OnArchiveSkipped(setup_.archivePath, SkipReason::ExtractionFailed, name_), false);
    case Mode::kNested:
        return SpoolData(bytes);
    case Mode::kDiscard:
        return true;
    }
    return false;
}

ScanStatus ArchiveSession::FinishScan(bool dataComplete)
{
    switch (mode_) {
    case Mode::kGather: {
        if (!dataComplete)
            return ScanStatus::Completed;
        ScanStatus status;
        if (ScansAsDocument(status))
            return status;
        const auto onLine = [this](std::int32_t lineNo, std::string_view text) { CollectLine(lineNo, text); };
        status = scanner_->ScanBytes(name_, gathered_, onLine, stop_);
        std::string().swap(gathered_);
        return status;
    }
    case Mode::kStream: {
        queue_->Close();
        scanThread_.join();
        queue_.reset();
        if (streamFailure_)
            std::rethrow_exception(std::exchange(streamFailure_, nullptr));
        return streamStatus_;
    }
    case Mode::kFile: {
        ::close(fileFd_);
        fileFd_ = -1;
        ScanStatus status = ScanStatus::Completed;
        if (dataComplete) {
            const auto onLine = [this](std::int32_t lineNo, std::string_view text) {
                CollectLine(lineNo, text);
            };
            status = scanner_->ScanFile(filePath_, onLine, stop_);
        }
        ::unlink(filePath_.c_str());
        return status;
    }
    case Mode::kNested:
    case Mode::kDiscard:
        break;
    }
    return ScanStatus::Completed;
}

void ArchiveSession::PassOnHeld(ScanStatus status)
{
    // Lines found before a stop stand; a stop that comes while they are
    // handed over (the sink may ask for it) ends the handing over.
    const bool stoppedBefore = stop_.stop_requested();
    for (const THitRecord &hit : held_) {
        if (!stoppedBefore && stop_.stop_requested()) {
            stopped_ = true;
            status = ScanStatus::Stopped;
            break;
        }
        sink_.OnHit(hit);
        ++hits_;
    }
    if (status != ScanStatus::Stopped && !held_.empty())
        sink_.OnProgressLine(ProgressLine(setup_.archivePath, setup_.searchFolder,
                                          archive::StoredBaseName(name_), static_cast<int>(held_.size())));
    held_.clear();
}

void ArchiveSession::EntryEnd(int result, std::string_view reason)
{
    if (EndNestedOrDiscarded(result, reason))
        return;
    const ScanStatus status = FinishScan(result == ZR_ARC_OK);
    switch (result) {
    case ZR_ARC_OK:
        if (status == ScanStatus::Stopped)
            stopped_ = true;
        PassOnHeld(status);
        break;
    case ZR_ARC_E_CANCELLED:
        // A stop is not a fault: the lines found before it stand.
        stopped_ = true;
        PassOnHeld(ScanStatus::Stopped);
        break;
    case ZR_ARC_E_TOO_LARGE:
        held_.clear();
        sink_.OnArchiveSkipped(setup_.archivePath, SkipReason::EntryTooLarge, name_);
        break;
    default:
        held_.clear();
        damageReported_ = true;
        sink_.OnArchiveSkipped(setup_.archivePath, SkipReason::Damaged, DamageDetail(name_, reason));
        break;
    }
}

}  // namespace zr::search
