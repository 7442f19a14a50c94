#pragma once
// Archives inside archives. A stored file whose first bytes show an archive
// is kept aside (nested_spool.h) and, once its own data has passed its
// check, walked by its library like an archive on disk, with a session of
// its own whose hits name the chain of stored names that leads to them.
// Everything below one archive on disk shares one ledger: how deep the nest
// may go, what it may decompress and hold in memory, and which archives it
// has already opened (an archive that holds itself ends there).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "search/nest_settings.h"
#include "search/run_sink.h"
#include "search/stored_name_filter.h"

namespace zr::search {

class NestedSpool;

// Shared by the whole nest of one archive on disk.
class NestLedger {
public:
    // depthReported: set once the depth limit has been reported, so that it
    // is reported once per run (may be null: once per archive).
    NestLedger(const NestSettings &settings, std::string diskArchivePath, std::string workFolder,
               bool *depthReported);

    int MaxDepth() const { return maxDepth_; }
    const std::string &WorkFolder() const { return workFolder_; }
    const std::string &DiskArchivePath() const { return diskArchivePath_; }

    // Data decompressed inside nested archives; false once the nest has had
    // its budget (Spent() tells).
    bool ChargeData(std::uint64_t bytes);
    bool Spent() const { return spent_; }
    // Memory a new spool may still hold, and its return when the spool goes.
    std::uint64_t MemoryAvailable() const;
    void HoldMemory(std::uint64_t bytes) { memoryHeld_ += bytes; }
    void ReleaseMemory(std::uint64_t bytes) { memoryHeld_ -= std::min(memoryHeld_, bytes); }

    // True the first time only.
    bool FirstDepthReport();
    bool FirstBudgetReport();

private:
    int maxDepth_;
    std::uint64_t dataLeft_;
    std::uint64_t memoryBudget_;
    std::uint64_t memoryHeld_ = 0;
    bool spent_ = false;
    bool budgetReported_ = false;
    bool ownDepthReported_ = false;
    bool *depthReported_;
    std::string diskArchivePath_;
    std::string workFolder_;
};

// Where one session stands in the nest.
struct NestFrame {
    NestLedger *ledger = nullptr;  // null: stored archives are plain files
    int depth = 0;                 // 0: the archive on disk
    std::vector<std::string> via;  // enclosing stored names, outermost first
    std::string storedPattern;     // the user's stored-file pattern, for the innermost names
    StoredNameFilter filter;       // applied by the session when the walk offers every entry
    bool walksEverything = false;  // the walk offers every entry (to find archives by content)
    // A compressed stream's one entry is offered under the spool's name;
    // it takes the stored file's name without the compression extension.
    std::string streamPathName;
    std::string streamEntryName;
    // Size and hash of every enclosing archive read so far.
    std::vector<std::pair<std::uint64_t, std::uint64_t>> enclosing;

    // The frame of an archive on disk.
    static NestFrame Top(NestLedger *ledger, const std::string &storedPattern);
    // The frame of the archive stored as `storedName`, held in `spool`.
    NestFrame Child(const std::string &storedName, const NestedSpool &spool) const;

    bool Enabled() const { return ledger != nullptr; }
    // Archives found in this session's entries are opened, not scanned.
    bool OpensDeeper() const { return ledger && depth < ledger->MaxDepth() && !ledger->Spent(); }
    // The pattern the library's walk is given.
    std::string WalkPattern() const { return walksEverything ? std::string("*") : storedPattern; }
    // The name to use for an entry the library offers as `fullName`.
    std::string EntryName(std::string_view fullName) const;
    // The user asked for this stored file.
    bool Wants(std::string_view name) const { return !walksEverything || filter.Matches(name); }
    // "a.lzh » b.zip » name": how a stored name of this session is reported.
    std::string ChainText(std::string_view name) const;
};

// The archives stored inside one archive are reported with the chain of
// stored names before their own details; hits already carry their chain.
class ChainSink final : public RunSink {
public:
    ChainSink(RunSink &outer, std::string storedName) : outer_(outer), storedName_(std::move(storedName)) {}

    void OnProgressLine(const std::string &text) override { outer_.OnProgressLine(text); }
    void OnHit(const THitRecord &hit) override { outer_.OnHit(hit); }
    void OnArchiveSkipped(const std::string &path, SkipReason reason, const std::string &detail) override;

private:
    RunSink &outer_;
    std::string storedName_;
};

// "name (reason)" -> "inner » name (reason)"; "(reason)" -> "inner (reason)".
std::string ChainedDetail(std::string_view storedName, std::string_view detail);

}  // namespace zr::search
