// No <fcntl.h> here: its declarations may be renamed to the 64-bit
// functions, and these definitions must keep the plain names.
#include "open_counter.h"

#include <asm-generic/fcntl.h>
#include <atomic>
#include <cstdarg>
#include <cstring>
#include <dlfcn.h>
#include <mutex>
#include <sys/types.h>

namespace zr::archivers::test {
namespace {

std::mutex g_mutex;
std::string g_watched;
std::atomic<int> g_opens{0};

void Note(const char *path)
{
    if (!path)
        return;
    std::lock_guard lock(g_mutex);
    if (!g_watched.empty() && g_watched == path)
        ++g_opens;
}

template <typename Fn> Fn Next(const char *name)
{
    return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
}

mode_t ModeOf(int flags, va_list args)
{
    return (flags & O_CREAT) || (flags & __O_TMPFILE) == __O_TMPFILE ? static_cast<mode_t>(va_arg(args, int))
                                                                    : 0;
}

}  // namespace

void WatchOpens(const std::string &path)
{
    std::lock_guard lock(g_mutex);
    g_watched = path;
    g_opens = 0;
}

int OpensSinceWatch() { return g_opens; }

}  // namespace zr::archivers::test

using zr::archivers::test::ModeOf;
using zr::archivers::test::Next;
using zr::archivers::test::Note;

extern "C" {

int open(const char *path, int flags, ...)
{
    va_list args;
    va_start(args, flags);
    const mode_t mode = ModeOf(flags, args);
    va_end(args);
    Note(path);
    static const auto real = Next<int (*)(const char *, int, ...)>("open");
    return real(path, flags, mode);
}

int open64(const char *path, int flags, ...)
{
    va_list args;
    va_start(args, flags);
    const mode_t mode = ModeOf(flags, args);
    va_end(args);
    Note(path);
    static const auto real = Next<int (*)(const char *, int, ...)>("open64");
    return real(path, flags, mode);
}

int openat(int dir, const char *path, int flags, ...)
{
    va_list args;
    va_start(args, flags);
    const mode_t mode = ModeOf(flags, args);
    va_end(args);
    Note(path);
    static const auto real = Next<int (*)(int, const char *, int, ...)>("openat");
    return real(dir, path, flags, mode);
}

int openat64(int dir, const char *path, int flags, ...)
{
    va_list args;
    va_start(args, flags);
    const mode_t mode = ModeOf(flags, args);
    va_end(args);
    Note(path);
    static const auto real = Next<int (*)(int, const char *, int, ...)>("openat64");
    return real(dir, path, flags, mode);
}

}  // extern "C"
