// A stand-in for the cabinet library whose every entry point misbehaves the
// way STANDIN_FAULT says: 1 abort(), 2 spin for ever without reading,
// 3 allocate and touch memory without end. Only tests load it.
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

[[noreturn]] void Misbehave()
{
#if STANDIN_FAULT == 1
    std::abort();
#elif STANDIN_FAULT == 2
    for (;;)
        asm volatile("" ::: "memory");
#else
    for (;;) {
        void *block = std::malloc(1 << 20);
        if (!block)  // what a careless library does with a failed allocation
            std::abort();
        std::memset(block, 1, 1 << 20);
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
#endif
}

}  // namespace

extern "C" {
__attribute__((visibility("default"))) std::uint16_t CabGetVersion() { return 100; }
__attribute__((visibility("default"))) int CabGetRunning() { return 0; }
__attribute__((visibility("default"))) int CabCheckArchive(const char *, int) { Misbehave(); }
__attribute__((visibility("default"))) int CabGetFileCount(const char *) { Misbehave(); }
__attribute__((visibility("default"))) void *CabOpenArchive(void *, const char *, std::uint32_t)
{
    Misbehave();
}
__attribute__((visibility("default"))) int Cab(void *, const char *, char *, std::uint32_t) { Misbehave(); }
__attribute__((visibility("default"))) int CabWalkEntries(const char *, const char *, std::uint32_t, const void *)
{
    Misbehave();
}
}
