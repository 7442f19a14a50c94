#include "search/worker/worker_main.h"

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <csignal>
#include <deque>
#include <mutex>
#include <new>
#include <string_view>
#include <thread>
#include <unistd.h>

#include "platform/memory_reuse.h"
#include "platform/replace_file.h"
#include "search/worker/worker_confinement.h"
#include "search/worker/worker_message.h"
#include "search/worker/worker_process.h"

namespace zr::search::worker {

namespace {

std::mutex &WriteMutex()
{
    static std::mutex m;
    return m;
}

// Events are written in blocks: a search with millions of hits would
// otherwise cost a system call (and a wake-up of the run) per hit. The run
// hands an archive's events on at its end anyway; any other message flushes.
std::string &PendingEvents()
{
    static std::string pending;
    return pending;
}

constexpr std::size_t kEventBlockBytes = 64 * 1024;

void WriteOrLeave(std::string_view bytes)
{
    if (!platform::WriteAllBytes(kEventFd, bytes))
        _exit(0);  // the run is gone: nothing left to do
}

// Hands on what waits in the buffer a little later at most, so a slow
// archive's first hits and progress still reach the run (and survive a kill).
void FlushPendingEventsEvery(std::chrono::milliseconds interval)
{
    std::thread([interval] {
        for (;;) {
            std::this_thread::sleep_for(interval);
            std::lock_guard lock(WriteMutex());
            std::string &pending = PendingEvents();
            if (!pending.empty()) {
                WriteOrLeave(pending);
                pending.clear();
            }
        }
    }).detach();  // lives as long as the worker
}

void Send(const Message &m)
{
    std::lock_guard lock(WriteMutex());
    std::string &pending = PendingEvents();
    pending += EncodeMessage(m);
    if (m.type == MessageType::kEvent && pending.size() < kEventBlockBytes)
        return;
    WriteOrLeave(pending);
    pending.clear();
}

class Context final : public JobContext {
public:
    explicit Context(std::int64_t id) : id_(id) {}

    void Emit(std::vector<std::string> texts, std::vector<std::int64_t> numbers) override
    {
        numbers.insert(numbers.begin(), id_);
        Send({MessageType::kEvent, std::move(texts), std::move(numbers)});
    }
    void SetOutcome(std::vector<std::string> texts, std::vector<std::int64_t> numbers) override
    {
        outcomeTexts_ = std::move(texts);
        outcomeNumbers_ = std::move(numbers);
    }
    void Fail(const std::string &text, std::vector<std::int64_t> numbers) override
    {
        numbers.insert(numbers.begin(), id_);
        Send({MessageType::kFailure, {text}, std::move(numbers)});
        failed_ = true;
    }
    void Finish()
    {
        if (failed_)
            return;
        outcomeNumbers_.insert(outcomeNumbers_.begin(), id_);
        Send({MessageType::kDone, std::move(outcomeTexts_), std::move(outcomeNumbers_)});
    }

private:
    std::int64_t id_;
    std::vector<std::string> outcomeTexts_;
    std::vector<std::int64_t> outcomeNumbers_;
    bool failed_ = false;
};

// Requests arrive on their own thread so a stop reaches a job that is busy.
class RequestQueue {
public:
    void Start(MessageDecoder &decoder)
    {
        std::thread([this, &decoder] {
            while (auto m = ReadMessage(kRequestFd, decoder)) {
                std::lock_guard lock(mutex_);
                if (m->type == MessageType::kStop) {
                    if (!m->numbers.empty() && m->numbers[0] == currentId_)
                        stop_.request_stop();
                    else if (!m->numbers.empty())
                        DropQueued(m->numbers[0]);  // sent behind the current one, not started
                } else if (m->type == MessageType::kJob) {
                    jobs_.push_back(std::move(*m));
                    wake_.notify_one();
                }
            }
            _exit(0);  // the run closed the pipe or is gone
        }).detach();
    }

    // The next job; its stop token is live until the next call.
    Message Next(std::stop_token &token)
    {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [this] { return !jobs_.empty(); });
        Message job = std::move(jobs_.front());
        jobs_.pop_front();
        stop_ = std::stop_source();
        currentId_ = job.numbers.empty() ? 0 : job.numbers[0];
        token = stop_.get_token();
        return job;
    }

private:
    void DropQueued(std::int64_t id)
    {
        std::erase_if(jobs_, [id](const Message &job) { return !job.numbers.empty() && job.numbers[0] == id; });
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Message> jobs_;
    std::stop_source stop_;
    std::int64_t currentId_ = 0;
};

}  // namespace

int RunWorker(JobHandler &handler, int argc, char **argv)
{
    std::signal(SIGXFSZ, SIG_IGN);  // a file past the size limit fails its write instead of killing us
    platform::KeepFreedMemoryForReuse();
    bool confine = true;
    for (int i = 1; i < argc; ++i)
        if (std::string_view(argv[i]) == "--no-confine")
            confine = false;
    static MessageDecoder decoder;
    const auto setup = ReadMessage(kRequestFd, decoder);
    if (!setup || setup->type != MessageType::kSetup)
        return 2;
    if (setup->numbers.empty() || setup->numbers[0] != kProtocolVersion) {
        // The run tells the user; this worker cannot take its jobs.
        Send({MessageType::kReady, {std::string()}, {kProtocolVersion}});
        return 2;
    }
    handler.Setup(setup->texts);
    const char *tmp = std::getenv("TMPDIR");
    const std::string report =
        confine ? ConfineWorker(tmp ? tmp : "/nonexistent", handler.SharedFolder()).Text()
                : std::string("unconfined (--no-confine)");
    Send({MessageType::kReady, {report}, {kProtocolVersion}});
    static RequestQueue queue;
    queue.Start(decoder);
    FlushPendingEventsEvery(std::chrono::milliseconds(20));
    for (;;) {
        std::stop_token stop;
        const Message job = queue.Next(stop);
        Context context(job.numbers.empty() ? 0 : job.numbers[0]);
        try {
            handler.Run(job.texts, context, stop);
        } catch (const std::bad_alloc &) {
            _exit(kOutOfMemoryExit);  // this archive's fault, not the run's
        } catch (const std::exception &e) {
            context.Fail(e.what(), {});
        } catch (...) {
            context.Fail("unknown error", {});
        }
        context.Finish();
    }
}

}  // namespace zr::search::worker
