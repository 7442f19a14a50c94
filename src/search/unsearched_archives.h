#pragma once
// Gathers the archives a run passed over for a password, for damage or for
// a failed extraction, one entry per archive with its stored files, in the
// order they were first met.

#include <string>
#include <unordered_map>
#include <vector>

#include "search/run_sink.h"
#include "search/run_summary.h"

namespace zr::search {

class UnsearchedArchives {
public:
    // Takes note of a skip event; reasons other than the three are ignored.
    void Note(const std::string &path, SkipReason reason, const std::string &storedName);
    // Moves the notes into the summary's three lists.
    void MoveInto(RunSummary &summary);

private:
    struct List {
        std::vector<UnsearchedArchive> archives;
        std::unordered_map<std::string, std::size_t> indexOf;  // path -> position in archives
        void Add(const std::string &path, const std::string &storedName);
    };

    List password_;
    List damaged_;
    List unextracted_;
};

}  // namespace zr::search
