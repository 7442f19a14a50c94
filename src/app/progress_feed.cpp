#include "app/progress_feed.h"

#include <algorithm>

namespace zr {

TProgressFeed::TProgressFeed(std::size_t keep, std::size_t limit)
    : keep_(std::max<std::size_t>(keep, 1)), limit_(std::max(limit, keep))
{
}

void TProgressFeed::Clear()
{
    viewLines_ = 0;
    recent_.clear();
}

ProgressFeedStep TProgressFeed::Add(std::vector<std::string> batch)
{
    ProgressFeedStep step;
    const std::size_t skip = batch.size() > keep_ ? batch.size() - keep_ : 0;
    for (std::size_t i = skip; i < batch.size(); ++i) {
        recent_.push_back(batch[i]);
        if (recent_.size() > keep_)
            recent_.pop_front();
    }
    const std::size_t appended = batch.size() - skip;
    if (viewLines_ + appended > limit_) {
        step.reset = true;
        step.lines.assign(recent_.begin(), recent_.end());
        viewLines_ = step.lines.size();
        return step;
    }
    step.lines.assign(std::make_move_iterator(batch.begin() + static_cast<std::ptrdiff_t>(skip)),
                      std::make_move_iterator(batch.end()));
    viewLines_ += step.lines.size();
    return step;
}

}  // namespace zr
