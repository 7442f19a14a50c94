#include "archivers/core/mapped_file.h"

#include <atomic>
#include <csignal>
#include <cstdint>
#include <dlfcn.h>
#include <algorithm>
#include <fcntl.h>
#include <mutex>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zr::archivers {

namespace {

// A file shortened while it is mapped (an archive rewritten during the
// search) makes every read past its new end raise SIGBUS. The mapped ranges
// are registered here, and a fault inside one of them gets a page of zeros
// mapped in place: the scan reads a damaged header and moves on, and the
// archive is reported by the reader that opens it next.
constexpr int kSlots = 64;

struct MappedRange {
    std::atomic<bool> used{false};
    std::atomic<std::uintptr_t> begin{0};  // 0 while the slot is being filled or emptied
    std::atomic<std::uintptr_t> end{0};
};

MappedRange g_ranges[kSlots];
std::uintptr_t g_pageSize = 4096;
struct sigaction g_previousHandler {};

bool InsideMappedFile(std::uintptr_t address)
{
    for (const MappedRange &range : g_ranges) {
        const std::uintptr_t begin = range.begin.load(std::memory_order_acquire);
        if (begin != 0 && address >= begin && address < range.end.load(std::memory_order_acquire))
            return true;
    }
    return false;
}

void PassOn(int signal, siginfo_t *info, void *context)
{
    if (g_previousHandler.sa_flags & SA_SIGINFO) {
        g_previousHandler.sa_sigaction(signal, info, context);
        return;
    }
    if (g_previousHandler.sa_handler != SIG_DFL && g_previousHandler.sa_handler != SIG_IGN) {
        g_previousHandler.sa_handler(signal);
        return;
    }
    // Not ours: the faulting access runs again and ends the process as before.
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(SIGBUS, &fallback, nullptr);
}

void OnBusError(int signal, siginfo_t *info, void *context)
{
    const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
    if (InsideMappedFile(address)) {
        void *page = reinterpret_cast<void *>(address & ~(g_pageSize - 1));
        if (mmap(page, g_pageSize, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) != MAP_FAILED)
            return;
    }
    PassOn(signal, info, context);
}

// The handler lives in this shared object, so the object must stay loaded
// once the handler is installed.
void KeepThisLibraryLoaded()
{
    Dl_info self{};
    if (dladdr(reinterpret_cast<void *>(&OnBusError), &self) != 0 && self.dli_fname)
        dlopen(self.dli_fname, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
}

void InstallBusErrorHandler()
{
    static std::once_flag once;
    std::call_once(once, [] {
        g_pageSize = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
        KeepThisLibraryLoaded();
        struct sigaction action {};
        action.sa_sigaction = OnBusError;
        action.sa_flags = SA_SIGINFO;
        sigemptyset(&action.sa_mask);
        sigaction(SIGBUS, &action, &g_previousHandler);
    });
}

int RegisterRange(const char *data, std::size_t size)
{
    for (int i = 0; i < kSlots; ++i) {
        bool expected = false;
        if (g_ranges[i].used.compare_exchange_strong(expected, true)) {
            const auto begin = reinterpret_cast<std::uintptr_t>(data);
            g_ranges[i].end.store(begin + size, std::memory_order_release);
            g_ranges[i].begin.store(begin, std::memory_order_release);
            return i;
        }
    }
    return -1;
}

void UnregisterRange(int slot)
{
    g_ranges[slot].begin.store(0, std::memory_order_release);
    g_ranges[slot].end.store(0, std::memory_order_release);
    g_ranges[slot].used.store(false, std::memory_order_release);
}

bool ReadWhole(int fd, std::string &bytes, std::size_t size)
{
    bytes.resize(size);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, bytes.data() + done, size - done, static_cast<off_t>(done));
        if (n < 0)
            return false;
        if (n == 0)
            break;  // shortened meanwhile
        done += static_cast<std::size_t>(n);
    }
    bytes.resize(done);
    return true;
}

}  // namespace

MappedFile::MappedFile(const std::string &path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    map(fd);
    ::close(fd);
}

MappedFile::MappedFile(int fd)
{
    if (fd >= 0)
        map(fd);
}

void MappedFile::map(int fd)
{
    struct stat st {};
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
        const auto size = static_cast<std::size_t>(st.st_size);
        InstallBusErrorHandler();
        void *m = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
        if (m != MAP_FAILED) {
            slot_ = RegisterRange(static_cast<const char *>(m), size);
            if (slot_ >= 0) {
                data_ = static_cast<const char *>(m);
                size_ = size;
            } else {
                munmap(m, size);
            }
        }
        // Every slot taken (or no mapping): the bytes are read instead.
        if (!data_ && ReadWhole(fd, copy_, size)) {
            data_ = copy_.data();
            size_ = copy_.size();
        }
    }
}

void MappedFile::adviseSequential() const
{
    if (slot_ >= 0)
        posix_madvise(const_cast<char *>(data_), size_, POSIX_MADV_SEQUENTIAL);
}

void MappedFile::releaseBefore(std::size_t offset)
{
    const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    const std::size_t end = std::min(offset, size_) / page * page;
    // In steps of 1 MiB: one call per page would cost more than it saves.
    // A file read into copy_ is heap memory: dropping its pages would lose it.
    if (slot_ < 0 || end < released_ + (std::size_t{1} << 20))
        return;
    madvise(const_cast<char *>(data_) + released_, end - released_, MADV_DONTNEED);
    released_ = end;
}

MappedFile::~MappedFile()
{
    if (slot_ >= 0) {
        UnregisterRange(slot_);
        munmap(const_cast<char *>(data_), size_);
    }
}

}  // namespace zr::archivers
