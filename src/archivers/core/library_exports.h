#pragma once
// The exported functions, written once for every library. A library's
// source file names its traits and expands ZR_ARC_DEFINE_READER_EXPORTS.
// No C++ exception ever crosses the C interface.

#include <string>

#include "archivers/archiver_api.h"
#include "archivers/core/library_traits.h"

namespace zr::archivers {

int RunCommand(const LibraryTraits &traits, HWND wnd, const char *cmdLine, char *output, uint32_t outputSize);
int RunCommandToMemory(const LibraryTraits &traits, HWND wnd, const char *cmdLine, char *output,
                       uint32_t outputSize, uint64_t memoryLimit, ZR_ARC_TAKE_FILE take, void *user);
int GetRunning();
uint16_t GetVersion();
int GetCursorMode();
int SetCursorMode(int mode);
int CheckArchive(const LibraryTraits &traits, const char *file, int mode);
int GetFileCount(const LibraryTraits &traits, const char *file);
int SetOwnerWindowEx(HWND wnd, ARC_CALLBACK callback);
int KillOwnerWindowEx(HWND wnd);
HARC OpenArchive(const LibraryTraits &traits, HWND wnd, const char *file, uint32_t mode);
int CloseArchive(HARC arc);
int FindFirst(HARC arc, const char *wildcards, void *individualInfo);
int FindNext(HARC arc, void *individualInfo);
int IsSFXFile(HARC arc);
int WalkEntries(const LibraryTraits &traits, const char *file, const char *wildcards, uint32_t mode,
                const ZrArcWalkCallbacks *callbacks);

class WalkMemo;
// The library's memo of the last archive it walked (one per shared object).
WalkMemo &LibraryWalkMemo();
// The archive type the memo's walk of `path` saw; 0 when the memo does not
// hold that file unchanged. Telling a .tar.bz2 from a .tar means decoding a
// whole bzip2 block, as costly as the walk itself for a small archive.
int RememberedArchiveType(const std::string &path);

}  // namespace zr::archivers

// Marks a function as one of the library's exports.
#define ZR_ARC_EXPORT __attribute__((visibility("default")))

#define ZR_ARC_DEFINE_READER_EXPORTS(P, TRAITS)                                                              \
    extern "C" {                                                                                             \
    ZR_ARC_EXPORT int P(HWND w, const char *c, char *o, uint32_t s)                                          \
    {                                                                                                        \
        return zr::archivers::RunCommand(TRAITS, w, c, o, s);                                                \
    }                                                                                                        \
    ZR_ARC_EXPORT int P##GetRunning(void) { return zr::archivers::GetRunning(); }                            \
    ZR_ARC_EXPORT uint16_t P##GetVersion(void) { return zr::archivers::GetVersion(); }                       \
    ZR_ARC_EXPORT int P##GetCursorMode(void) { return zr::archivers::GetCursorMode(); }                      \
    ZR_ARC_EXPORT int P##SetCursorMode(int m) { return zr::archivers::SetCursorMode(m); }                    \
    ZR_ARC_EXPORT int P##CheckArchive(const char *f, int m)                                                  \
    {                                                                                                        \
        return zr::archivers::CheckArchive(TRAITS, f, m);                                                    \
    }                                                                                                        \
    ZR_ARC_EXPORT int P##GetFileCount(const char *f) { return zr::archivers::GetFileCount(TRAITS, f); }      \
    ZR_ARC_EXPORT int P##SetOwnerWindowEx(HWND w, ARC_CALLBACK cb)                                           \
    {                                                                                                        \
        return zr::archivers::SetOwnerWindowEx(w, cb);                                                       \
    }                                                                                                        \
    ZR_ARC_EXPORT int P##KillOwnerWindowEx(HWND w) { return zr::archivers::KillOwnerWindowEx(w); }           \
    ZR_ARC_EXPORT HARC P##OpenArchive(HWND w, const char *f, uint32_t m)                                     \
    {                                                                                                        \
        return zr::archivers::OpenArchive(TRAITS, w, f, m);                                                  \
    }                                                                                                        \
    ZR_ARC_EXPORT int P##CloseArchive(HARC a) { return zr::archivers::CloseArchive(a); }                     \
    ZR_ARC_EXPORT int P##FindFirst(HARC a, const char *w, void *i)                                           \
    {                                                                                                        \
        return zr::archivers::FindFirst(a, w, i);                                                            \
    }                                                                                                        \
    ZR_ARC_EXPORT int P##FindNext(HARC a, void *i) { return zr::archivers::FindNext(a, i); }                 \
    ZR_ARC_EXPORT int P##IsSFXFile(HARC a) { return zr::archivers::IsSFXFile(a); }                           \
    ZR_ARC_EXPORT int P##ExtractToMemory(HWND w, const char *c, char *o, uint32_t s, uint64_t l,             \
                                         ZR_ARC_TAKE_FILE t, void *u)                                        \
    {                                                                                                        \
        return zr::archivers::RunCommandToMemory(TRAITS, w, c, o, s, l, t, u);                               \
    }                                                                                                        \
    ZR_ARC_EXPORT int P##WalkEntries(const char *f, const char *w, uint32_t m, const ZrArcWalkCallbacks *c)  \
    {                                                                                                        \
        return zr::archivers::WalkEntries(TRAITS, f, w, m, c);                                               \
    }                                                                                                        \
    }
