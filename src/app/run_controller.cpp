#include "app/run_controller.h"

#include <exception>

namespace zr {

void QueueingRunSink::OnArchivesFound(int count, const std::string &labelText)
{
    std::lock_guard lock(mutex_);
    pending_.archivesFound = std::make_pair(count, labelText);
}

void QueueingRunSink::OnArchiveStarted(int index, int count, const std::string &path)
{
    NoteArchive(index, count, path);
}

void QueueingRunSink::OnArchiveDispatched(int index, int count, const std::string &path)
{
    NoteArchive(index, count, path);
}

void QueueingRunSink::NoteArchive(int index, int count, const std::string &path)
{
    std::lock_guard lock(mutex_);
    if (index < furthest_)
        return;  // an archive handed to a worker earlier now shows its hits
    furthest_ = index;
    pending_.archiveStarted = std::make_tuple(index, count, path);
}

void QueueingRunSink::OnProgressLine(const std::string &text)
{
    std::lock_guard lock(mutex_);
    pending_.progressLines.push_back(text);
}

void QueueingRunSink::OnHit(const search::THitRecord &hit)
{
    std::lock_guard lock(mutex_);
    pending_.hits.push_back(hit);
}

void QueueingRunSink::OnFinished(const search::RunSummary &summary)
{
    std::lock_guard lock(mutex_);
    pending_.finished = summary;
}

void QueueingRunSink::Reset()
{
    std::lock_guard lock(mutex_);
    pending_ = RunBatch{};
    furthest_ = -1;
}

RunBatch QueueingRunSink::Take()
{
    std::lock_guard lock(mutex_);
    RunBatch batch = std::move(pending_);
    pending_ = RunBatch{};
    return batch;
}

TRunController::TRunController(QObject *parent) : QObject(parent)
{
    timer_.setInterval(50);
    connect(&timer_, &QTimer::timeout, this, [this] {
        if (!paused_)
            Drain();
    });
}

TRunController::~TRunController()
{
    timer_.stop();
    Join();
}

void TRunController::Join()
{
    if (worker_.joinable()) {
        worker_.request_stop();
        worker_.join();
    }
}

void TRunController::Start(Job job)
{
    Join();
    sink_.Reset();
    running_ = true;
    paused_ = false;
    worker_ = std::jthread([job = std::move(job), this](std::stop_token stop) {
        try {
            job(stop, sink_);
        } catch (const std::exception &e) {
            // A job that throws still ends the run, with its message.
            search::RunSummary summary;
            summary.errorMessage = e.what();
            sink_.OnFinished(summary);
        }
    });
    timer_.start();
}

void TRunController::RequestStop()
{
    if (worker_.joinable())
        worker_.request_stop();
}

bool TRunController::StopRequested() const
{
    return worker_.joinable() && worker_.get_stop_token().stop_requested();
}

void TRunController::Drain()
{
    if (draining_)
        return;  // a handler that shows a box must not re-enter
    draining_ = true;
    RunBatch batch = sink_.Take();
    const bool finished = batch.finished.has_value();
    if (finished) {
        timer_.stop();
        running_ = false;
    }
    if (!batch.Empty() && handler_)
        handler_(batch);
    draining_ = false;
    if (finished && worker_.joinable())
        worker_.join();
}

void TRunController::WaitAndDrain()
{
    if (worker_.joinable())
        worker_.join();
    Drain();
}

}  // namespace zr
