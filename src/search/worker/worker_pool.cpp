#include "search/worker/worker_pool.h"

#include <algorithm>
#include <filesystem>
#include <poll.h>
#include <system_error>
#include <utility>

namespace zr::search::worker {

namespace {

using Clock = std::chrono::steady_clock;

// Events held for a job that waits behind an earlier one; past this the
// worker is left blocked on its pipe, so memory stays bounded whatever an
// archive holds.
constexpr std::size_t kMaxHeldEvents = 65536;

// The caller's part of a worker message: the job id taken off the numbers.
Message WithoutId(Message m)
{
    if (!m.numbers.empty())
        m.numbers.erase(m.numbers.begin());
    return m;
}

}  // namespace

std::string StallReason(int seconds) { return std::to_string(seconds) + " 秒間処理が進みませんでした"; }

std::string VersionMismatchText(const std::string &program, std::int64_t workerVersion)
{
    return "作業プロセス " + program + " の通信の版 (" + std::to_string(workerVersion) +
           ") がこのプログラムの版 (" + std::to_string(kProtocolVersion) +
           ") と合いません。同じ版の zrworker を入れてください。";
}

std::string MemoryReason(std::uint64_t bytes)
{
    return "メモリ使用量が上限 (" + std::to_string(bytes >> 20) + " MB) を超えました";
}

struct WorkerPool::Slot {
    int number = 0;
    std::string folder;
    std::unique_ptr<WorkerProcess> process;
    int job = -1;  // the job it runs, -1 when idle
    std::int64_t id = 0;
    // The job sent behind it, so the worker goes on without waiting for the
    // run (many small archives cost a round trip each otherwise); -1 when none.
    int queuedJob = -1;
    std::int64_t queuedId = 0;
    Clock::time_point lastProgress;
    Clock::time_point stopSentAt;
    Clock::time_point lastHeard;  // its last message
    Clock::time_point countersReadAt;
    ProcessCounters counters;
    bool stopSent = false;
};

struct WorkerPool::JobState {
    bool started = false;
    bool taken = false;      // its worker has it (not only queued behind another)
    bool announced = false;  // OnDispatched was called
    bool ended = false;
    std::vector<Message> events;
    JobEnd end;
    std::optional<WorkerRunError> failure;
};

WorkerPool::WorkerPool(WorkerPoolOptions options) : options_(std::move(options))
{
    const int count = std::max(1, options_.workers);
    for (int i = 0; i < count; ++i) {
        auto slot = std::make_unique<Slot>();
        slot->number = i;
        slot->folder = options_.workRoot + "/worker" + std::to_string(i);
        slots_.push_back(std::move(slot));
    }
}

WorkerPool::~WorkerPool()
{
    for (auto &slot : slots_) {
        slot->process.reset();  // killed and reaped
        std::error_code ec;
        std::filesystem::remove_all(slot->folder, ec);
    }
}

void WorkerPool::StartWorker(Slot &slot)
{
    std::error_code ec;
    std::filesystem::remove_all(slot.folder, ec);  // nothing a dead predecessor left
    std::filesystem::create_directories(slot.folder, ec);
    if (ec)
        throw std::runtime_error("作業フォルダが作成できません。フォルダ名 = " + slot.folder);
    WorkerLaunch launch;
    launch.program = options_.program;
    launch.arguments = options_.arguments;
    launch.workFolder = slot.folder;
    launch.fileSizeLimit = options_.limits.storedFileBytes;
#if !defined(__SANITIZE_ADDRESS__)
    // The address sanitizer reserves terabytes of address space up front;
    // under it the resident-memory watch alone guards the memory.
    launch.addressSpaceLimit = options_.limits.memoryBytes;
#endif
    slot.process = std::make_unique<WorkerProcess>(launch);
    ++started_;
    slot.process->Send({MessageType::kSetup, options_.setup, {kProtocolVersion}});
}

void WorkerPool::Dispatch(Slot &slot, int job, const std::vector<std::string> &texts,
                          std::vector<JobState> &state)
{
    if (slot.job >= 0) {
        slot.queuedJob = job;
        slot.queuedId = nextId_++;
        state[job].started = true;
        slot.process->Send({MessageType::kJob, texts, {slot.queuedId}});
        return;
    }
    if (!slot.process)
        StartWorker(slot);
    slot.job = job;
    slot.id = nextId_++;
    state[job].taken = true;
    slot.stopSent = false;
    slot.lastProgress = Clock::now();
    state[job].started = true;
    slot.process->Send({MessageType::kJob, texts, {slot.id}});
}

void WorkerPool::RetireWorker(Slot &slot)
{
    if (slot.process) {
        slot.process->Kill();
        slot.process->Reap();
        slot.process.reset();
    }
}

void WorkerPool::EndJob(Slot &slot, std::vector<JobState> &state, JobEndKind kind, const std::string &reason)
{
    JobState &job = state[slot.job];
    job.ended = true;
    job.end.kind = kind;
    job.end.reason = reason;
    slot.job = -1;
    if (slot.queuedJob < 0)
        return;
    if (slot.process && !slot.stopSent) {
        // The worker takes the queued job next.
        slot.job = std::exchange(slot.queuedJob, -1);
        slot.id = slot.queuedId;
        state[slot.job].taken = true;
        slot.lastProgress = Clock::now();
    } else {
        // Never run: the worker is gone, or the run is stopping.
        // A job dropped by the stop counts as never started, as the ones
        // not yet sent.
        const int queued = std::exchange(slot.queuedJob, -1);
        if (!slot.stopSent)
            requeued_.push_back(queued);
    }
}

// Takes every whole message the worker has sent; a worker that ended or
// broke its stream is retired and its job ends as failed (or stopped).
void WorkerPool::Drain(Slot &slot, std::vector<JobState> &state)
{
    const bool open = slot.process->ReadAvailable();
    while (auto message = slot.process->NextEvent()) {
        slot.lastProgress = Clock::now();
        slot.lastHeard = slot.lastProgress;
        if (message->type == MessageType::kReady) {
            confinement_ = message->texts.empty() ? std::string() : message->texts[0];
            const std::int64_t version = message->numbers.empty() ? 0 : message->numbers[0];
            if (version != kProtocolVersion && slot.job >= 0) {
                state[slot.job].failure.emplace(VersionMismatchText(options_.program, version),
                                                std::vector<std::int64_t>{});
                EndJob(slot, state, JobEndKind::kDone, {});
            }
            continue;
        }
        if (slot.job < 0 || message->numbers.empty() || message->numbers[0] != slot.id)
            continue;  // late words of a job already ended
        JobState &job = state[slot.job];
        if (message->type == MessageType::kEvent) {
            job.events.push_back(WithoutId(std::move(*message)));
        } else if (message->type == MessageType::kDone) {
            job.end.done = WithoutId(std::move(*message));
            EndJob(slot, state, slot.stopSent ? JobEndKind::kStopped : JobEndKind::kDone, {});
        } else if (message->type == MessageType::kFailure) {
            const Message m = WithoutId(std::move(*message));
            job.failure.emplace(m.texts.empty() ? std::string("error") : m.texts[0], m.numbers);
            EndJob(slot, state, JobEndKind::kDone, {});
        }
    }
    if (open && !slot.process->StreamBroken())
        return;
    if (slot.process->StreamBroken())
        slot.process->Kill();
    const std::string how = slot.process->Reap();
    slot.process.reset();
    if (slot.job >= 0)
        EndJob(slot, state, slot.stopSent ? JobEndKind::kStopped : JobEndKind::kFailed,
               how.empty() ? std::string("作業プロセスが途中で終了しました") : how);
}

// A worker that goes on talking after the stop hands over the lines it held;
// one silent for the grace is stuck in a library call and is killed.
bool WorkerPool::StopOverdue(const Slot &slot, Clock::time_point now) const
{
    const Clock::time_point heard = std::max(slot.stopSentAt, slot.lastHeard);
    return now - heard > options_.stopGrace ||
           now - slot.stopSentAt > std::max(options_.stopGrace, options_.stopSendLimit);
}

void WorkerPool::Watch(Slot &slot, std::vector<JobState> &state, bool stopping)
{
    if (slot.job < 0 || !slot.process)
        return;
    const Clock::time_point now = Clock::now();
    // The counters are read once a poll interval, not once a job: with many
    // small archives they were most of the run's system calls. A job just
    // started counts as having made progress, so the old counters serve.
    const bool readCounters = now - slot.countersReadAt >= options_.pollInterval;
    if (const auto c = readCounters ? ReadProcessCounters(slot.process->Pid()) : std::nullopt) {
        slot.countersReadAt = now;
        if (c->bytesRead != slot.counters.bytesRead || c->bytesWritten != slot.counters.bytesWritten)
            slot.lastProgress = now;
        slot.counters = *c;
        if (c->residentBytes > options_.limits.memoryBytes) {
            RetireWorker(slot);
            EndJob(slot, state, JobEndKind::kFailed, MemoryReason(options_.limits.memoryBytes));
            return;
        }
    }
    if (stopping) {
        if (StopOverdue(slot, now)) {
            RetireWorker(slot);
            EndJob(slot, state, JobEndKind::kStopped, {});
        }
        return;
    }
    if (now - slot.lastProgress > std::chrono::seconds(options_.limits.stallSeconds)) {
        RetireWorker(slot);
        EndJob(slot, state, JobEndKind::kFailed, StallReason(options_.limits.stallSeconds));
    }
}

// A job counts as dispatched when its worker takes it up, not when it is
// queued behind another.
void WorkerPool::AnnounceCurrentJobs(std::vector<JobState> &state, std::size_t &firstUnannounced,
                                     std::size_t sent, JobEvents &events)
{
    while (firstUnannounced < sent && state[firstUnannounced].announced)
        ++firstUnannounced;
    for (std::size_t job = firstUnannounced; job < sent; ++job)
        if (state[job].taken && !state[job].announced) {
            state[job].announced = true;
            events.OnDispatched(static_cast<int>(job));
        }
}

void WorkerPool::Run(const std::vector<std::vector<std::string>> &jobs, JobEvents &events,
                     std::stop_token stop)
{
    std::vector<JobState> state(jobs.size());
    std::size_t nextJob = 0, nextDelivery = 0, firstUnannounced = 0;
    requeued_.clear();
    bool stopping = false;
    for (;;) {
        if (!stopping && stop.stop_requested()) {
            stopping = true;
            requeued_.clear();
            for (auto &slot : slots_)
                if (slot->job >= 0 && slot->process) {
                    slot->stopSent = true;
                    slot->stopSentAt = Clock::now();
                    slot->process->Send({MessageType::kStop, {}, {slot->id}});
                    // The queued job is dropped unstarted (or, started
                    // meanwhile, stopped at once); it ends with the one before.
                    if (slot->queuedJob >= 0)
                        slot->process->Send({MessageType::kStop, {}, {slot->queuedId}});
                }
        }
        // Idle workers first, then one job queued behind each busy one.
        for (const bool queue : {false, true})
            for (auto &slot : slots_) {
                const bool free = queue ? slot->job >= 0 && slot->queuedJob < 0 && slot->process && !stopping
                                        : slot->job < 0;
                if (stopping || !free)
                    continue;
                if (!requeued_.empty()) {
                    const int job = requeued_.front();
                    requeued_.pop_front();
                    Dispatch(*slot, job, jobs[static_cast<std::size_t>(job)], state);
                } else if (nextJob < jobs.size()) {
                    Dispatch(*slot, static_cast<int>(nextJob), jobs[nextJob], state);
                    ++nextJob;
                }
            }
        AnnounceCurrentJobs(state, firstUnannounced, nextJob, events);
        // Deliver in job order: the first unfinished job's events as they
        // come (so its memory stays small and a stop keeps what it found),
        // later jobs' once every job before them has ended.
        while (nextDelivery < jobs.size()) {
            JobState &job = state[nextDelivery];
            for (const auto &e : job.events)
                events.OnEvent(static_cast<int>(nextDelivery), e);
            job.events.clear();
            if (!job.ended)
                break;
            if (job.failure) {
                for (auto &slot : slots_)
                    if (slot->job >= 0) {
                        RetireWorker(*slot);
                        slot->job = -1;
                        slot->queuedJob = -1;
                    }
                throw *job.failure;
            }
            events.OnEnd(static_cast<int>(nextDelivery), job.end);
            ++nextDelivery;
        }
        const bool busy =
            std::any_of(slots_.begin(), slots_.end(), [](const auto &s) { return s->job >= 0; });
        if (!busy && ((nextJob == jobs.size() && requeued_.empty()) || stopping))
            return;
        std::vector<pollfd> fds;
        std::vector<Slot *> polled;
        for (auto &slot : slots_)
            if (slot->job >= 0 && slot->process) {
                if (static_cast<std::size_t>(slot->job) != nextDelivery &&
                    state[slot->job].events.size() >= kMaxHeldEvents) {
                    // Waits, blocked on its pipe, until the jobs before it
                    // are done: that is not a stall.
                    slot->lastProgress = Clock::now();
                    continue;
                }
                fds.push_back({slot->process->EventFd(), POLLIN, 0});
                polled.push_back(slot.get());
            }
        ::poll(fds.data(), fds.size(), static_cast<int>(options_.pollInterval.count()));
        for (std::size_t i = 0; i < fds.size(); ++i)
            if (fds[i].revents)
                Drain(*polled[i], state);
        AnnounceCurrentJobs(state, firstUnannounced, nextJob, events);
        for (auto &slot : slots_)
            Watch(*slot, state, stopping);
    }
}

}  // namespace zr::search::worker
