#pragma once
// Turns the archives' worker events back into run events. The pool hands
// over the jobs' events in job order; the relay announces each archive on
// its first event, as the run one archive after another does before
// starting it, and decides what a stop keeps.

#include <cstddef>
#include <stop_token>
#include <string>
#include <vector>

#include "search/archive_searcher.h"
#include "search/run_sink.h"
#include "search/search_inputs.h"
#include "search/worker/worker_pool.h"

namespace zr::search {

class WorkerRelay final : public worker::JobEvents {
public:
    // announce: report each archive's start and dispatch to the sink.
    WorkerRelay(const std::vector<CandidateArchive> &archives, RunSink &sink, std::stop_token stop,
                bool announce);

    void OnEvent(int job, const worker::Message &e) override;
    void OnDispatched(int job) override;
    void OnEnd(int job, const worker::JobEnd &end) override;

    // True when not every archive was searched to its end.
    bool Stopped() const { return stopped_ || ended_ < archives_.size(); }

    // The last archive's outcome; a job never started (the run was stopped
    // first) or cut by a stop counts as stopped.
    ArchiveOutcome Outcome() const { return Stopped() ? ArchiveOutcome{ArchiveStatus::Stopped} : outcome_; }

private:
    void Failed(int job, const std::string &reason);
    bool Enter(int job);

    const std::vector<CandidateArchive> &archives_;
    RunSink &sink_;
    std::stop_token stop_;
    bool announce_;
    int announced_ = -1;
    int stopJob_ = -1;  // the first archive not ended when the stop was seen
    std::size_t ended_ = 0;
    bool stopped_ = false;
    ArchiveOutcome outcome_;
};

}  // namespace zr::search
