#pragma once
// One search from the found archives to the summary, without any window: the
// run never touches a widget, cursor or QObject and never runs an event loop,
// so it can run on any thread. Stopping through the token ends it between
// archives, inside an extraction or inside a file scan; the hits found so far
// are kept.

#include <stop_token>
#include <vector>

#include "search/hit_list.h"
#include "search/run_options.h"
#include "search/run_sink.h"
#include "search/run_summary.h"
#include "search/search_conditions.h"
#include "search/search_inputs.h"

namespace zr::search {

// The counts of the hit list, kept as hits arrive, so a run need not hold
// every record to report them.
class HitCounter {
public:
    void Add(const THitRecord &hit);
    int Hits() const { return hits_; }
    int Archives() const { return archives_; }
    int Files() const { return files_; }

private:
    int hits_ = 0;
    int archives_ = 0;
    int files_ = 0;
    std::string lastArchive_;
    std::string lastStored_;
    std::vector<std::string> lastVia_;  // the stored archives the last stored file is inside
};

class SearchRun {
public:
    // Searches the conditions' folder.
    SearchRun(SearchConditions conditions, RunOptions options);
    // Searches the inputs in their order instead (the conditions' folder is
    // not used): each folder's archives in walk order, each archive file as
    // itself. One run, one summary.
    SearchRun(SearchConditions conditions, std::vector<SearchInput> inputs, RunOptions options);

    // Runs synchronously. The conditions should have passed ValidateConditions.
    // Never throws: an error ends the run with RunSummary::errorMessage set,
    // and sink.OnFinished is always the last event.
    RunSummary Run(RunSink &sink, std::stop_token stop = {});

    // The hits of the last Run, in run order (empty unless RunOptions::keepHits).
    const HitList &Hits() const { return hits_; }
    HitList TakeHits() { return std::move(hits_); }

private:
    RunSummary RunSteps(RunSink &sink, std::stop_token stop);
    void FillCounts(RunSummary &summary) const;

    SearchConditions conditions_;
    std::vector<SearchInput> inputs_;
    RunOptions options_;
    HitList hits_;
    HitCounter counter_;
};

// Convenience form of SearchRun(conditions, options).Run(sink, stop).
RunSummary RunSearch(const SearchConditions &conditions, const RunOptions &options, RunSink &sink,
                     std::stop_token stop = {});
RunSummary RunSearch(const SearchConditions &conditions, const std::vector<SearchInput> &inputs,
                     const RunOptions &options, RunSink &sink, std::stop_token stop = {});

}  // namespace zr::search
