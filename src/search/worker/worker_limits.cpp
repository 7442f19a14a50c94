#include "search/worker/worker_limits.h"

#include <algorithm>
#include <fstream>
#include <linux/magic.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>

#include "util/settings_store.h"

namespace zr::search::worker {

namespace {

constexpr std::uint64_t kMiB = std::uint64_t{1} << 20;

std::uint64_t AvailableMemory()
{
    std::ifstream meminfo("/proc/meminfo");
    std::string key;
    std::uint64_t value = 0;
    std::string unit;
    while (meminfo >> key >> value >> unit)
        if (key == "MemAvailable:")
            return value * 1024;
    return 0;
}

}  // namespace

std::uint64_t DefaultStoredFileBudget(const std::string &workFolder)
{
    std::uint64_t budget = std::uint64_t{4} << 30;
    struct statvfs vfs {};
    if (::statvfs(workFolder.c_str(), &vfs) == 0)
        budget = std::min<std::uint64_t>(budget, static_cast<std::uint64_t>(vfs.f_bavail) * vfs.f_frsize / 2);
    struct statfs fs {};
    if (::statfs(workFolder.c_str(), &fs) == 0 && (fs.f_type == TMPFS_MAGIC || fs.f_type == RAMFS_MAGIC)) {
        if (const std::uint64_t memory = AvailableMemory())
            budget = std::min(budget, memory / 2);
    }
    return std::max(budget, kMiB);
}

WorkerLimits ReadWorkerLimits(const std::string &workFolder)
{
    WorkerLimits limits;
    limits.stallSeconds =
        std::max(1, ReadSettingInteger("Setting", "WorkerStallSeconds", limits.stallSeconds));
    const int fileMb = ReadSettingInteger("Setting", "StoredFileLimitMB", 0);
    limits.storedFileBytes =
        fileMb > 0 ? static_cast<std::uint64_t>(fileMb) * kMiB : DefaultStoredFileBudget(workFolder);
    const int memoryMb = ReadSettingInteger("Setting", "WorkerMemoryMB", 2048);
    limits.memoryBytes = static_cast<std::uint64_t>(std::max(256, memoryMb)) * kMiB;
    return limits;
}

}  // namespace zr::search::worker
