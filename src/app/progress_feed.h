#pragma once
// Which progress lines reach the result view during a run. The view measures
// every line it takes (for word wrap), and the progress lines are replaced by
// the summary when the run ends, so the view keeps only the latest lines: a
// batch appends at most its last `keep` lines, and once the view would hold
// more than `limit` lines it is refilled with the latest `keep`.

#include <deque>
#include <string>
#include <vector>

namespace zr {

struct ProgressFeedStep {
    bool reset = false;              // clear the view first
    std::vector<std::string> lines;  // then append these
};

class TProgressFeed {
public:
    explicit TProgressFeed(std::size_t keep = 200, std::size_t limit = 2000);
    void Clear();
    ProgressFeedStep Add(std::vector<std::string> batch);
    std::size_t ViewLines() const { return viewLines_; }

private:
    std::size_t keep_;
    std::size_t limit_;
    std::size_t viewLines_ = 0;
    std::deque<std::string> recent_;  // the last `keep` lines seen
};

}  // namespace zr
