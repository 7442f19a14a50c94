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

WorkerLimitSettings WorkerLimitSettings::FromRegistry()
{
    WorkerLimitSettings s;
    s.stallSeconds = ReadSettingInteger("Setting", "WorkerStallSeconds", s.stallSeconds);
    s.storedFileLimitMb = ReadSettingInteger("Setting", "StoredFileLimitMB", s.storedFileLimitMb);
    s.memoryMb = ReadSettingInteger("Setting", "WorkerMemoryMB", s.memoryMb);
    return s;
}

WorkerLimits MakeWorkerLimits(const WorkerLimitSettings &settings, const std::string &workFolder)
{
    WorkerLimits limits;
    limits.stallSeconds = std::max(1, settings.stallSeconds);
    limits.storedFileBytes = settings.storedFileLimitMb > 0
                                 ? static_cast<std::uint64_t>(settings.storedFileLimitMb) * kMiB
                                 : DefaultStoredFileBudget(workFolder);
    limits.memoryBytes = static_cast<std::uint64_t>(std::max(256, settings.memoryMb)) * kMiB;
    return limits;
}

WorkerLimits ReadWorkerLimits(const std::string &workFolder)
{
    return MakeWorkerLimits(WorkerLimitSettings::FromRegistry(), workFolder);
}

}  // namespace zr::search::worker
