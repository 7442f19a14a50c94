#pragma once
// The events of a run. The run calls them on its own thread, in order; a
// window forwards them to its thread in batches, the command line prints them.

#include <string>
#include <string_view>

#include "search/hit_record.h"
#include "search/run_summary.h"

namespace zr::search {

// Why an archive was passed over. None of them is an error for the user.
enum class SkipReason {
    EmptyFile,          // a file of length 0
    NotAnArchive,       // no archiver library recognises it
    NoMatchingEntries,  // no stored file matches the stored-file pattern
    ExtractionFailed,   // the library reported an error while extracting
    WorkerFailed,       // its worker process crashed, hung or ran out of memory (detail: the cause)
    EntryTooLarge,      // a stored file outgrew the size budget (detail: its name); the rest was searched
    EntryRefused,       // a stored name would leave the extraction folder (detail: it); the rest was searched
    PasswordProtected,  // an encrypted archive or stored file (detail: the stored name, "" for the whole
                        // archive)
    Damaged,  // a CRC, truncation or header failure (detail: the stored name where known); intact entries
              // were searched
    NestTooDeep,  // archives nested deeper than the depth setting were searched as plain files (detail:
                  // the chain of stored names where the depth was reached); reported once per run
    NestLimit,    // archives inside this one were given up (detail: the chain and why: a budget spent, an
                  // archive that holds itself); the rest was searched
};

const char *SkipReasonName(SkipReason reason);

// A damaged entry's detail: "name (reason)", or "(reason)" when the damage
// belongs to no one stored file.
std::string DamageDetail(std::string_view storedName, std::string_view reason);
struct DamageParts {
    std::string storedName;  // "" when no stored file is known
    std::string reason;
};
DamageParts SplitDamageDetail(const std::string &detail);

class RunSink {
public:
    virtual ~RunSink() = default;

    // The finder is done: count candidates; labelText is the result label now.
    virtual void OnArchivesFound(int count, const std::string &labelText) { (void)count, (void)labelText; }
    // Archive index (0-based) of count is about to be searched.
    virtual void OnArchiveStarted(int index, int count, const std::string &path)
    {
        (void)index, (void)count, (void)path;
    }
    // Archive index of count has been handed to a worker. With several
    // workers this runs ahead of OnArchiveStarted, which keeps the hits'
    // order: a caller that shows progress need not wait for a slow archive.
    virtual void OnArchiveDispatched(int index, int count, const std::string &path)
    {
        (void)index, (void)count, (void)path;
    }
    // A progress line for the result view (one per stored file with hits).
    virtual void OnProgressLine(const std::string &text) { (void)text; }
    virtual void OnHit(const THitRecord &hit) { (void)hit; }
    virtual void OnArchiveSkipped(const std::string &path, SkipReason reason, const std::string &detail)
    {
        (void)path, (void)reason, (void)detail;
    }
    // Always the last event of a run, however it ended.
    virtual void OnFinished(const RunSummary &summary) { (void)summary; }
};

}  // namespace zr::search
