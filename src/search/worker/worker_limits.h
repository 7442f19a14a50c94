#pragma once
// The limits a search puts on each worker process, and their defaults.

#include <cstdint>
#include <string>

namespace zr::search::worker {

struct WorkerLimits {
    // No bytes read or written and no message for this long: the worker is
    // stuck and is replaced.
    int stallSeconds = 60;
    // The largest stored file a worker may write (its file-size limit).
    std::uint64_t storedFileBytes = std::uint64_t{4} << 30;
    // Address space (and resident memory) of one worker.
    std::uint64_t memoryBytes = std::uint64_t{2} << 30;
};

// The smaller of 4 GiB and half the free space of the file system holding
// `workFolder`; when that file system lives in memory, half the free memory
// counts too. Never below 1 MiB, so a full disk still lets small files through.
std::uint64_t DefaultStoredFileBudget(const std::string &workFolder);

// The limits as the settings store holds them (section "Setting").
struct WorkerLimitSettings {
    int stallSeconds = 60;       // "WorkerStallSeconds"
    int storedFileLimitMb = 0;   // "StoredFileLimitMB"; 0: the default budget
    int memoryMb = 2048;         // "WorkerMemoryMB", at least 256

    static WorkerLimitSettings FromRegistry();
};

// The limits for a run whose work folder is workFolder.
WorkerLimits MakeWorkerLimits(const WorkerLimitSettings &settings, const std::string &workFolder);

// MakeWorkerLimits over the values in the settings store.
WorkerLimits ReadWorkerLimits(const std::string &workFolder);

}  // namespace zr::search::worker
