#pragma once
// The events of one archive held back until its extraction has succeeded:
// files scanned while the library was still extracting must not show hits
// for an archive that then fails, just as a failed extraction shows none.

#include <cstddef>
#include <stop_token>
#include <string>
#include <variant>
#include <vector>

#include "search/run_sink.h"

namespace zr::search {

class HeldEvents final : public RunSink {
public:
    void OnProgressLine(const std::string &text) override
    {
        bytes_ += text.size();
        events_.emplace_back(text);
    }
    void OnHit(const THitRecord &hit) override
    {
        bytes_ += sizeof hit + hit.ArchivePath.size() + hit.StoredName.size() + hit.LineText.size();
        events_.emplace_back(hit);
    }
    void OnArchiveSkipped(const std::string &path, SkipReason reason, const std::string &detail) override
    {
        bytes_ += path.size() + detail.size();
        events_.emplace_back(Skipped{path, reason, detail});
    }

    // Roughly what the held events take in memory.
    std::size_t Bytes() const { return bytes_; }

    // Hands the events on in order until a stop is asked for (the sink may
    // ask it); returns how many hits were handed on.
    int PassOn(RunSink &sink, const std::stop_token &stop) const
    {
        int hits = 0;
        for (const Event &event : events_) {
            if (stop.stop_requested())
                break;
            if (const auto *hit = std::get_if<THitRecord>(&event))
                sink.OnHit(*hit), ++hits;
            else if (const auto *line = std::get_if<std::string>(&event))
                sink.OnProgressLine(*line);
            else if (const auto *skipped = std::get_if<Skipped>(&event))
                sink.OnArchiveSkipped(skipped->path, skipped->reason, skipped->detail);
        }
        return hits;
    }

private:
    struct Skipped {
        std::string path;
        SkipReason reason;
        std::string detail;
    };
    using Event = std::variant<THitRecord, std::string, Skipped>;

    std::vector<Event> events_;
    std::size_t bytes_ = 0;
};

}  // namespace zr::search
