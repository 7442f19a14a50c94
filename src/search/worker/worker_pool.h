#pragma once
// A pool of worker processes that runs a list of jobs (one archive each) at
// most `workers` at a time and hands their events to the caller in job order.
//
// Events are handed over in job order: those of the first job not yet ended
// as they arrive, those of later jobs once every job before them has ended.
// A job whose worker dies (signal, broken stream), stalls (no bytes read or
// written and no message for the stall time) or outgrows its memory is
// reported as failed; the events it sent before are kept, as a stop keeps
// what the stopped jobs found. A dead worker is replaced by a fresh process
// for the next job.

#include <chrono>
#include <deque>
#include <memory>
#include <stdexcept>
#include <stop_token>
#include <string>
#include <vector>

#include "search/worker/worker_limits.h"
#include "search/worker/worker_message.h"
#include "search/worker/worker_process.h"

namespace zr::search::worker {

struct WorkerPoolOptions {
    std::string program;                 // the worker executable
    std::vector<std::string> arguments;  // passed to every worker
    std::vector<std::string> setup;      // the kSetup texts every worker receives first
    std::string workRoot;                // each worker gets its own folder below it
    int workers = 1;
    WorkerLimits limits;
    // A stopped job that has not finished by then is killed: a stop must end a
    // run within half a second even while a library lists a large tar.gz,
    // which it cannot interrupt. What the job found so far is kept.
    std::chrono::milliseconds stopGrace{150};
    // A stopped job whose worker is still handing over what it found (an
    // entry's lines are held until its end) is given this long at most, as
    // long as no pause between its messages passes stopGrace.
    std::chrono::milliseconds stopSendLimit{2000};
    std::chrono::milliseconds pollInterval{50};  // also how soon a stop is noticed
};

enum class JobEndKind {
    kDone,     // the worker finished the job; `done` holds its outcome
    kFailed,   // the worker died, stalled or outgrew its memory; `reason` says which
    kStopped,  // the run was stopped during the job
};

struct JobEnd {
    JobEndKind kind = JobEndKind::kDone;
    Message done;
    std::string reason;
};

class JobEvents {
public:
    virtual ~JobEvents() = default;
    // kEvent messages of a job, in order; never for a failed job.
    virtual void OnEvent(int job, const Message &event) = 0;
    // The job went to a worker (jobs are dispatched in order).
    virtual void OnDispatched(int job) { (void)job; }
    virtual void OnEnd(int job, const JobEnd &end) = 0;
};

// A worker reported an error that ends the whole run (kFailure).
class WorkerRunError : public std::runtime_error {
public:
    WorkerRunError(const std::string &text, std::vector<std::int64_t> numbers)
        : std::runtime_error(text), numbers_(std::move(numbers))
    {
    }
    const std::vector<std::int64_t> &Numbers() const { return numbers_; }

private:
    std::vector<std::int64_t> numbers_;
};

// The failure texts, for the caller's skip reasons.
std::string StallReason(int seconds);
std::string MemoryReason(std::uint64_t bytes);
// The run's error when a worker speaks another version of the messages.
std::string VersionMismatchText(const std::string &program, std::int64_t workerVersion);

class WorkerPool {
public:
    explicit WorkerPool(WorkerPoolOptions options);
    ~WorkerPool();  // ends and reaps every worker, removes their folders
    WorkerPool(const WorkerPool &) = delete;
    WorkerPool &operator=(const WorkerPool &) = delete;

    // Runs `jobs` (each a list of texts) and returns when every started job
    // has ended and been delivered. After a stop, jobs not yet started are
    // not run. Throws WorkerRunError after delivering the jobs before the
    // one that reported it.
    void Run(const std::vector<std::vector<std::string>> &jobs, JobEvents &events, std::stop_token stop = {});

    // What the last started worker reported of its confinement.
    const std::string &Confinement() const { return confinement_; }
    int WorkersStarted() const { return started_; }

private:
    struct Slot;
    struct JobState;

    void StartWorker(Slot &slot);
    void Dispatch(Slot &slot, int job, const std::vector<std::string> &texts, std::vector<JobState> &state);
    void Drain(Slot &slot, std::vector<JobState> &state);
    void EndJob(Slot &slot, std::vector<JobState> &state, JobEndKind kind, const std::string &reason);
    void Watch(Slot &slot, std::vector<JobState> &state, bool stopping);
    bool StopOverdue(const Slot &slot, std::chrono::steady_clock::time_point now) const;
    void RetireWorker(Slot &slot);
    void AnnounceCurrentJobs(std::vector<JobState> &state, std::size_t &firstUnannounced, std::size_t sent,
                             JobEvents &events);

    WorkerPoolOptions options_;
    std::vector<std::unique_ptr<Slot>> slots_;
    std::string confinement_;
    int started_ = 0;
    std::int64_t nextId_ = 1;
    std::deque<int> requeued_;  // queued behind a job whose worker died: sent again first
};

}  // namespace zr::search::worker
