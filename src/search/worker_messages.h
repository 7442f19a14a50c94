#pragma once
// What a search run and its workers say to each other, one struct per kind
// of message with its encode/decode pair. The frames underneath
// (worker/worker_message.h) carry texts and numbers; these functions are the
// only place that knows which text or number means what. A decoder given
// anything but what its encoder makes (a worker of another build, a damaged
// or hostile stream) returns nothing rather than a half-filled value.

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "search/archive_searcher.h"
#include "search/hit_record.h"
#include "search/run_sink.h"
#include "search/view_extraction.h"

namespace zr::search {

// The part of a frame that belongs to the search: texts and numbers.
struct WorkerPayload {
    std::vector<std::string> texts;
    std::vector<std::int64_t> numbers;
    bool operator==(const WorkerPayload &) const = default;
};

// ---- run -> worker

// Sent once to every worker: what all jobs of the run share.
struct WorkerSetup {
    ArchiveSearchContext context;  // workFolder and extractFolder stay the worker's own
    std::string libraryFolder;     // where the archiver libraries are
};
std::vector<std::string> EncodeWorkerSetup(const WorkerSetup &setup);
std::optional<WorkerSetup> DecodeWorkerSetup(const std::vector<std::string> &texts);

// Search one archive; one the user named directly has its type judged by content.
struct ArchiveJob {
    std::string archivePath;
    TypeJudgement judgement = TypeJudgement::ByName;
    bool operator==(const ArchiveJob &) const = default;
};
// Extract one stored file for the window's view.
struct ViewJob {
    std::string archivePath;
    std::string storedName;
    std::vector<std::string> via = {};  // the stored archives it is inside, outermost first
    bool operator==(const ViewJob &) const = default;
};
using WorkerJob = std::variant<ArchiveJob, ViewJob>;
std::vector<std::string> EncodeWorkerJob(const WorkerJob &job);
std::optional<WorkerJob> DecodeWorkerJob(const std::vector<std::string> &texts);

// ---- worker -> run: events of a job, in the order they happened

struct HitEvent {
    THitRecord hit;
    bool operator==(const HitEvent &) const = default;
};
struct ProgressLineEvent {
    std::string text;
    bool operator==(const ProgressLineEvent &) const = default;
};
struct SkippedEvent {
    std::string path;
    SkipReason reason = SkipReason::NotAnArchive;
    std::string detail;
    bool operator==(const SkippedEvent &) const = default;
};
using WorkerEvent = std::variant<HitEvent, ProgressLineEvent, SkippedEvent>;
WorkerPayload EncodeWorkerEvent(const WorkerEvent &event);
std::optional<WorkerEvent> DecodeWorkerEvent(const WorkerPayload &payload);

// ---- worker -> run: how a job ended

struct ArchiveJobOutcome {
    ArchiveOutcome outcome;
};
WorkerPayload EncodeArchiveJobOutcome(const ArchiveJobOutcome &outcome);
std::optional<ArchiveJobOutcome> DecodeArchiveJobOutcome(const WorkerPayload &payload);

struct ViewJobOutcome {
    ViewExtractStatus status = ViewExtractStatus::Failed;
    std::string file;    // the extracted file when Extracted
    std::string detail;  // why it failed
};
WorkerPayload EncodeViewJobOutcome(const ViewJobOutcome &outcome);
std::optional<ViewJobOutcome> DecodeViewJobOutcome(const WorkerPayload &payload);

// An error that ends the whole run, of a kind the run raises again.
enum class RunFailureKind : std::int64_t { Other = 0, Pattern = 1, Temp = 2, Encoding = 3, Memory = 4 };
struct RunFailure {
    RunFailureKind kind = RunFailureKind::Other;
    std::string text;
    std::size_t patternPosition = 0;  // for a Pattern failure
};
WorkerPayload EncodeRunFailure(const RunFailure &failure);
// Never fails: an unknown kind is Other, a missing text is a general one.
RunFailure DecodeRunFailure(const WorkerPayload &payload);

}  // namespace zr::search
