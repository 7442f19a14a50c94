#pragma once
// Runs a search on a worker thread and hands its events to the window's
// thread in batches: the worker's sink only queues, a timer on the window's
// thread drains the queue, so a run with many hits or progress lines costs
// the window one update per batch instead of one per event.

#include "search/run_sink.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <mutex>
#include <stop_token>
#include <thread>
#include <variant>
#include <vector>

namespace zr {

struct RunBatch {
    // Only the last values matter for the label and the gauge.
    std::optional<std::pair<int, std::string>> archivesFound;         // count, label text
    std::optional<std::tuple<int, int, std::string>> archiveStarted;  // index, count, path
    std::vector<std::string> progressLines;
    std::vector<search::THitRecord> hits;
    std::optional<search::RunSummary> finished;
    bool Empty() const
    {
        return !archivesFound && !archiveStarted && progressLines.empty() && hits.empty() && !finished;
    }
};

// The worker's sink: every event goes into the pending batch under a lock.
class QueueingRunSink : public search::RunSink {
public:
    void OnArchivesFound(int count, const std::string &labelText) override;
    void OnArchiveStarted(int index, int count, const std::string &path) override;
    void OnArchiveDispatched(int index, int count, const std::string &path) override;
    void OnProgressLine(const std::string &text) override;
    void OnHit(const search::THitRecord &hit) override;
    void OnFinished(const search::RunSummary &summary) override;
    // Takes everything queued so far.
    RunBatch Take();
    // Forgets the last run (a new one starts).
    void Reset();

private:
    // The gauge follows the furthest archive begun, whichever event told it.
    void NoteArchive(int index, int count, const std::string &path);

    std::mutex mutex_;
    RunBatch pending_;
    int furthest_ = -1;
};

class TRunController : public QObject {
    Q_OBJECT
public:
    // The work a run does on the worker thread. It must end soon after the
    // stop token is requested and report OnFinished last.
    using Job = std::function<void(std::stop_token, search::RunSink &)>;
    // Called on the window's thread for each non-empty batch.
    using BatchHandler = std::function<void(RunBatch &)>;

    explicit TRunController(QObject *parent = nullptr);
    ~TRunController() override;  // stops and joins a running job

    void SetBatchHandler(BatchHandler handler) { handler_ = std::move(handler); }
    void SetDrainInterval(int milliseconds) { timer_.setInterval(milliseconds); }

    // Starts job; a previous job is stopped and joined first.
    void Start(Job job);
    void RequestStop();
    bool StopRequested() const;
    // True from Start until the batch with the finished summary was handled.
    bool Running() const { return running_; }
    // Holding back batches (while a question is asked); the worker goes on.
    void SetPaused(bool paused) { paused_ = paused; }
    // Waits for the worker and hands over everything left (tests, shutdown).
    void WaitAndDrain();
    void Drain();

private:
    void Join();

    QTimer timer_;
    QueueingRunSink sink_;
    std::jthread worker_;
    BatchHandler handler_;
    bool running_ = false;
    bool paused_ = false;
    bool draining_ = false;
};

}  // namespace zr
