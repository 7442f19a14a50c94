#include "search/worker_relay.h"

#include <optional>
#include <variant>

#include "search/worker_archive_search.h"
#include "search/worker_messages.h"

namespace zr::search {

WorkerRelay::WorkerRelay(const std::vector<CandidateArchive> &archives, RunSink &sink, std::stop_token stop,
                         bool announce)
    : archives_(archives), sink_(sink), stop_(std::move(stop)), announce_(announce)
{
}

void WorkerRelay::OnEvent(int job, const worker::Message &e)
{
    // Events come as the archive is searched, or in one batch when an
    // archive before it took longer. A stop keeps everything the archive
    // being searched found before it: its worker sends the lines held for
    // the entry it was in as it stops, after the stop was asked for.
    if (!Enter(job))
        return;
    // An event that does not decode is not of this program's worker: dropped.
    const std::optional<WorkerEvent> event = DecodeWorkerEvent({e.texts, e.numbers});
    if (!event)
        return;
    if (const auto *hit = std::get_if<HitEvent>(&*event))
        sink_.OnHit(hit->hit);
    else if (const auto *line = std::get_if<ProgressLineEvent>(&*event))
        sink_.OnProgressLine(line->text);
    else if (const auto *skipped = std::get_if<SkippedEvent>(&*event))
        sink_.OnArchiveSkipped(skipped->path, skipped->reason, skipped->detail);
}

void WorkerRelay::OnDispatched(int job)
{
    if (announce_ && !stopped_)
        sink_.OnArchiveDispatched(job, static_cast<int>(archives_.size()),
                                  archives_[static_cast<std::size_t>(job)].path);
}

void WorkerRelay::OnEnd(int job, const worker::JobEnd &end)
{
    if (!Enter(job))
        return;  // what comes after a stopped archive is not part of the run
    ++ended_;
    switch (end.kind) {
    case worker::JobEndKind::kDone:
        if (const auto done = DecodeArchiveJobOutcome({end.done.texts, end.done.numbers})) {
            outcome_ = done->outcome;
            stopped_ = outcome_.status == ArchiveStatus::Stopped;
        } else {
            Failed(job, "作業プロセスの応答が読めません");
        }
        break;
    case worker::JobEndKind::kStopped:
        outcome_.status = ArchiveStatus::Stopped;
        stopped_ = true;
        break;
    case worker::JobEndKind::kFailed:
        Failed(job, end.reason);
        break;
    }
}

void WorkerRelay::Failed(int job, const std::string &reason)
{
    outcome_.status = ArchiveStatus::Skipped;
    outcome_.skipReason = SkipReason::WorkerFailed;
    sink_.OnArchiveSkipped(archives_[static_cast<std::size_t>(job)].path, SkipReason::WorkerFailed,
                           std::string(kArchiveWorkerFailedText) + " (" + reason + ")");
}

// After a stop only the archive that was being searched then is still
// entered (its first event may come after the stop, with the lines the
// worker held for the entry it was in); the ones after it are not part of
// the run, as they would not have been started one after another.
bool WorkerRelay::Enter(int job)
{
    if (stop_.stop_requested() && stopJob_ < 0)
        stopJob_ = static_cast<int>(ended_);
    if (job <= announced_)
        return true;
    if (stopped_ || (stopJob_ >= 0 && job != stopJob_)) {
        stopped_ = true;
        return false;
    }
    announced_ = job;
    if (announce_)
        sink_.OnArchiveStarted(job, static_cast<int>(archives_.size()),
                               archives_[static_cast<std::size_t>(job)].path);
    return true;
}

}  // namespace zr::search
