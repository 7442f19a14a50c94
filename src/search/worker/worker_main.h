#pragma once
// The worker side: a worker program's main() hands its job handler to
// RunWorker, which reads the setup, confines the process, then runs one job
// after another and sends their events back. A job is ended early by a stop
// request through its stop token.

#include <cstdint>
#include <stop_token>
#include <string>
#include <vector>

namespace zr::search::worker {

class JobContext {
public:
    virtual ~JobContext() = default;
    // An event for the run, in the caller's own encoding.
    virtual void Emit(std::vector<std::string> texts, std::vector<std::int64_t> numbers) = 0;
    // The job's outcome; sent once when the job returns.
    virtual void SetOutcome(std::vector<std::string> texts, std::vector<std::int64_t> numbers) = 0;
    // An error that ends the whole run; the job ends with it.
    virtual void Fail(const std::string &text, std::vector<std::int64_t> numbers = {}) = 0;
};

class JobHandler {
public:
    virtual ~JobHandler() = default;
    // Called once, before the process is confined (libraries may be loaded here).
    virtual void Setup(const std::vector<std::string> &setup) = 0;
    virtual void Run(const std::vector<std::string> &job, JobContext &context, std::stop_token stop) = 0;
    // A folder the confined process may write besides its own ("" = none).
    virtual std::string SharedFolder() const { return {}; }
};

// Runs until the run closes the request pipe. "--no-confine" among the
// arguments leaves the process unconfined (for measuring what confinement
// costs). Returns the process exit code.
int RunWorker(JobHandler &handler, int argc, char **argv);

}  // namespace zr::search::worker
