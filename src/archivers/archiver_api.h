/*
 * The one calling scheme shared by ZuRivo and its archiver libraries
 * (libUnlha32.so, libcab32.so, libTar32.so, libUnarj32j.so, libunrar32.so,
 * libUnzip32.so, libZip32j.so, lib7z32.so).  Plain C so any caller can dlopen a library
 * and look the exports up by name.  Strings are UTF-8, records little-endian.
 */
#ifndef ZR_ARCHIVERS_ARCHIVER_API_H
#define ZR_ARCHIVERS_ARCHIVER_API_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef void *HWND; /* opaque owner handle, never dereferenced by a library */
typedef void *HARC; /* archive handle from OpenArchive; NULL = failure */

/* Progress callback installed with <Prefix>SetOwnerWindowEx.  Called on the
 * thread running the command.  Its "go on" value depends on the library:
 * Unzip32 goes on with 0 and stops with -1; every other library goes on with
 * any non-zero value (conventionally -1) and stops with 0.  */
typedef int (*ARC_CALLBACK)(HWND wnd, unsigned msg, unsigned state, void *extractingInfoEx);

/* Message number passed to the callback. */
#define ZR_ARC_MSG_EXTRACT 0x0C001u

/* Callback states. */
#define ZR_ARC_STATE_BEGIN 0u    /* a file begins; sizes and names filled */
#define ZR_ARC_STATE_PROGRESS 1u /* bytes written so far (every 256 KiB and at the end of each file) */
#define ZR_ARC_STATE_END 2u      /* reserved: not sent by these libraries */
#define ZR_ARC_STATE_OPEN 3u     /* reserved: not sent by these libraries */

#define ZR_ARC_NAME_MAX 513 /* bytes of a name field, NUL included */

/* Entry record filled by FindFirst / FindNext into a caller-owned 560-byte buffer. */
typedef struct TIndividualInfo {
    uint32_t dwOriginalSize;          /* 0: uncompressed size, clamped to 0xFFFFFFFF */
    uint32_t dwCompressedSize;        /* 4: compressed size, clamped */
    uint32_t dwCRC;                   /* 8: CRC as stored (CRC-32, CRC-16 for LHA, 0 for CAB and TAR) */
    uint32_t uFlag;                   /* 12: 0, or ZR_ARC_FLAG_* bits */
    uint32_t uOSType;                 /* 16: host OS code of the archive, 0 if unknown */
    uint16_t wRatio;                  /* 20: tenths of a percent: compressed/original, for UnZip the saving */
    uint16_t wDate;                   /* 22: MS-DOS packed date, local time */
    uint16_t wTime;                   /* 24: MS-DOS packed time, local time */
    char szFileName[ZR_ARC_NAME_MAX]; /* 26: stored name, UTF-8, "/" separated, folders end in "/" */
    char dummy1[3];                   /* 539 */
    char szAttribute[8];              /* 542: "ASHR" positions, '-' where unset, NUL-terminated */
    char szMode[8];                   /* 550: method text, NUL-terminated ("-lh5-", "Deflate", ...) */
    char dummy2[2];                   /* 558 */
} TIndividualInfo;

/* uFlag bits. */
#define ZR_ARC_FLAG_DIRECTORY 0x1u
#define ZR_ARC_FLAG_ENCRYPTED 0x2u
#define ZR_ARC_FLAG_LINK 0x4u

/* Progress record passed to the callback. */
typedef struct TExtractingInfoEx {
    uint32_t dwFileSize;                    /* 0: size of the current file, clamped */
    uint32_t dwWriteSize;                   /* 4: bytes of it written so far, clamped */
    char szSourceFileName[ZR_ARC_NAME_MAX]; /* 8: stored name, UTF-8 */
    char dummy1[3];                         /* 521 */
    char szDestFileName[ZR_ARC_NAME_MAX];   /* 524: full destination path, UTF-8 (cut if longer) */
    char dummy2[3];                         /* 1037 */
} TExtractingInfoEx;

/* Tar sub-types returned by TarGetArchiveType. */
#define ZR_TAR_TYPE_NONE 0
#define ZR_TAR_TYPE_TAR 1
#define ZR_TAR_TYPE_TARGZ 2
#define ZR_TAR_TYPE_TARZ 3
#define ZR_TAR_TYPE_GZ 4
#define ZR_TAR_TYPE_Z 5
#define ZR_TAR_TYPE_TARBZ2 6
#define ZR_TAR_TYPE_BZ2 7
/* Compressions beyond the designed ones: a tar inside, or a single file. */
#define ZR_TAR_TYPE_TARXZ 8
#define ZR_TAR_TYPE_XZ 9
#define ZR_TAR_TYPE_TARZSTD 10
#define ZR_TAR_TYPE_ZSTD 11
#define ZR_TAR_TYPE_TARLZ4 12
#define ZR_TAR_TYPE_LZ4 13
#define ZR_TAR_TYPE_TARLZIP 14
#define ZR_TAR_TYPE_LZIP 15
#define ZR_TAR_TYPE_TARLZMA 16
#define ZR_TAR_TYPE_LZMA 17

/* IsSFXFile results: what can be told from the executable's stub. */
#define ZR_SFX_NONE 0     /* a plain archive */
#define ZR_SFX_DOS 1      /* MZ stub only: a DOS self-extractor */
#define ZR_SFX_WIN16 1001 /* NE executable */
#define ZR_SFX_WIN32 2001 /* PE executable */

/* CheckArchive mode bits. */
#define ZR_ARC_CHECK_RAPID 0x0          /* first header only */
#define ZR_ARC_CHECK_HEADERS 0x1        /* walk every header (mode 1) */
#define ZR_ARC_CHECK_FULLCRC 0x2        /* also decompress and verify every entry */
#define ZR_ARC_CHECK_BROKEN_HEADERS 0x4 /* skip broken leading headers (Lha, mode 5) */

/* OpenArchive mode bits (other bits are accepted and ignored). */
#define ZR_ARC_OPEN_BROKEN_HEADERS 0x08000000u /* Lha: tolerate broken leading headers */

/* FindFirst / FindNext results. */
#define ZR_ARC_FIND_OK 0
#define ZR_ARC_FIND_END (-1) /* no (further) matching entry */

/* Results of the command function, of CloseArchive and IsSFXFile on a bad
 * handle, and FindFirst/FindNext failures other than the end of the list.
 * 0 is success.  0x8000 itself is kept for the caller ("library or export
 * missing") and never returned.  A command goes on after an entry fails
 * with DATA, UNSAFE_NAME, WRITE or UNSUPPORTED and returns the first error;
 * CANCELLED, DISK_FULL and a fatal read error stop it at once.  Partly
 * written files are always removed. */
#define ZR_ARC_OK 0
#define ZR_ARC_E_BUSY 0x8001        /* another command of this library is running */
#define ZR_ARC_E_COMMAND 0x8002     /* command line malformed: no archive name or an unknown command word */
#define ZR_ARC_E_OPEN 0x8003        /* archive missing or unreadable */
#define ZR_ARC_E_NOT_ARCHIVE 0x8004 /* not an archive of this library's format */
#define ZR_ARC_E_DATA 0x8005        /* CRC mismatch, decompression error or truncated archive */
#define ZR_ARC_E_UNSAFE_NAME                                                                                 \
    0x8006                        /* an entry was refused: "..", absolute name, drive prefix or device name */
#define ZR_ARC_E_WRITE 0x8007     /* a destination file or folder could not be created or written */
#define ZR_ARC_E_DISK_FULL 0x8008 /* stopped: the destination would fall below the free-space reserve */
#define ZR_ARC_E_CANCELLED 0x8009 /* stopped by the callback */
#define ZR_ARC_E_RESPONSE_FILE 0x800A /* the response file cannot be read */
#define ZR_ARC_E_UNSUPPORTED 0x800B   /* encrypted, multi-volume or unknown-method entry (skipped) */
#define ZR_ARC_E_NO_MATCH 0x800C      /* names were given but none matched an entry */
#define ZR_ARC_E_DEST 0x800D          /* the destination folder does not exist and cannot be created */
#define ZR_ARC_E_HANDLE 0x800E        /* unknown or closed archive handle */
#define ZR_ARC_E_INTERNAL 0x800F      /* out of memory or an unexpected failure */
#define ZR_ARC_E_TOO_LARGE                                                                                   \
    0x8010 /* an entry outgrew the process's file-size limit: it was skipped, the rest extracted */
/* Links, devices and FIFOs are never created; they are logged as skipped
 * and do not make a command fail. */

/* Cab library version: 100 = 1.00. */
#define ZR_CAB_VERSION 100

/* Export shapes, for callers resolving them with dlsym. */
typedef int (*ZrArcCommandFn)(HWND wnd, const char *cmdLine, char *output, uint32_t outputSize);
typedef int (*ZrArcGetRunningFn)(void);
typedef uint16_t (*ZrArcGetVersionFn)(void);
typedef int (*ZrArcGetCursorModeFn)(void);
typedef int (*ZrArcSetCursorModeFn)(int mode);
typedef int (*ZrArcCheckArchiveFn)(const char *file, int mode);
typedef int (*ZrArcGetFileCountFn)(const char *file);
typedef int (*ZrArcSetOwnerWindowExFn)(HWND wnd, ARC_CALLBACK cb);
typedef int (*ZrArcKillOwnerWindowExFn)(HWND wnd);
typedef HARC (*ZrArcOpenArchiveFn)(HWND wnd, const char *file, uint32_t mode);
typedef int (*ZrArcCloseArchiveFn)(HARC arc);
typedef int (*ZrArcFindFirstFn)(HARC arc, const char *wildcards, void *individualInfo);
typedef int (*ZrArcFindNextFn)(HARC arc, void *individualInfo);
typedef int (*ZrArcIsSFXFileFn)(HARC arc);
typedef int (*ZrArcGetArchiveTypeFn)(const char *file);

/* Extra export for the search, beside the designed ones:
 * <Prefix>ExtractToMemory runs an extraction command exactly as <Prefix>()
 * does (same switches, selection, safety rules, limits, progress and
 * result), but every file of at most memoryLimit bytes is first offered,
 * whole, to `take`: relativePath is where it would be written below the
 * destination ('/'-separated).  take returns ZR_ARC_TAKEN (the file is not
 * written), ZR_ARC_WRITE (written as usual) or ZR_ARC_CANCEL (the command
 * stops as cancelled).  The data is valid only during the call.  */
#define ZR_ARC_CANCEL (-1)
#define ZR_ARC_WRITE 0
#define ZR_ARC_TAKEN 1
typedef int (*ZR_ARC_TAKE_FILE)(void *user, const char *relativePath, const char *data, uint64_t size);
typedef int (*ZrArcExtractToMemoryFn)(HWND wnd, const char *cmdLine, char *output, uint32_t outputSize,
                                      uint64_t memoryLimit, ZR_ARC_TAKE_FILE take, void *user);

/* Extra export for the search, beside the designed ones:
 * <Prefix>WalkEntries opens `file` once, detects its type once and walks its
 * entries in archive order.  Each entry whose name matches `wildcards` (as
 * FindFirst matches them) is offered with its record, filled as FindNext
 * fills it, and its whole stored name (the record's may be cut).  `refusal`
 * is ZR_ARC_OK for an entry whose data can be taken, else why not:
 * ZR_ARC_WALK_NO_DATA (a folder, link or device), ZR_ARC_E_UNSAFE_NAME (the
 * name climbs out of any folder), ZR_ARC_E_UNSUPPORTED (encrypted: see the
 * record's uFlag, or an unknown method).  The answer is ZR_ARC_WALK_TAKE, ZR_ARC_WALK_DECLINE or
 * ZR_ARC_WALK_STOP; a declined entry is skipped without decompressing it
 * where the format allows.  A taken entry's data comes to `data` in order
 * (0 stops the walk as cancelled), then `entryEnd` tells how it ended:
 * ZR_ARC_OK once its check passed, ZR_ARC_E_DATA (reason given: CRC,
 * truncation), ZR_ARC_E_TOO_LARGE (past the file-size limit; the walk goes
 * on), ZR_ARC_E_CANCELLED.  `keepGoing` (may be NULL) is asked now and then
 * while data is decompressed only to be skipped; 0 stops the walk.
 * Results: ZR_ARC_OK; ZR_ARC_E_OPEN; ZR_ARC_E_NOT_ARCHIVE (no entry could
 * be read); ZR_ARC_E_UNSUPPORTED (the archive itself needs a password);
 * ZR_ARC_E_DATA (damaged after some entries: those were offered);
 * ZR_ARC_E_CANCELLED; ZR_ARC_E_INTERNAL.  `message` receives why, if given.
 * Nothing is written to disk and no walk is remembered. */
#define ZR_ARC_WALK_STOP (-1)
#define ZR_ARC_WALK_DECLINE 0
#define ZR_ARC_WALK_TAKE 1
#define ZR_ARC_WALK_NO_DATA 1 /* refusal: nothing to take */
typedef struct ZrArcWalkCallbacks {
    void *user;
    int (*offer)(void *user, const TIndividualInfo *record, const char *fullName, int refusal);
    int (*data)(void *user, const char *bytes, size_t size);
    void (*entryEnd)(void *user, int result, const char *reason);
    int (*keepGoing)(void *user);
    char *message;
    uint32_t messageSize;
} ZrArcWalkCallbacks;
typedef int (*ZrArcWalkEntriesFn)(const char *file, const char *wildcards, uint32_t mode,
                                  const ZrArcWalkCallbacks *callbacks);

/* The exports of one reading library, named <prefix><suffix>. */
#define ZR_ARC_DECLARE_READER(P)                                                                             \
    int P(HWND wnd, const char *cmdLine, char *output, uint32_t outputSize);                                 \
    int P##GetRunning(void);                                                                                 \
    uint16_t P##GetVersion(void);                                                                            \
    int P##GetCursorMode(void);                                                                              \
    int P##SetCursorMode(int mode);                                                                          \
    int P##CheckArchive(const char *file, int mode);                                                         \
    int P##GetFileCount(const char *file);                                                                   \
    int P##SetOwnerWindowEx(HWND wnd, ARC_CALLBACK cb);                                                      \
    int P##KillOwnerWindowEx(HWND wnd);                                                                      \
    HARC P##OpenArchive(HWND wnd, const char *file, uint32_t mode);                                          \
    int P##CloseArchive(HARC arc);                                                                           \
    int P##FindFirst(HARC arc, const char *wildcards, void *individualInfo);                                 \
    int P##FindNext(HARC arc, void *individualInfo);                                                         \
    int P##IsSFXFile(HARC arc);                                                                              \
    int P##ExtractToMemory(HWND wnd, const char *cmdLine, char *output, uint32_t outputSize,                 \
                           uint64_t memoryLimit, ZR_ARC_TAKE_FILE take, void *user);                  \
    int P##WalkEntries(const char *file, const char *wildcards, uint32_t mode,                               \
                       const ZrArcWalkCallbacks *callbacks);

ZR_ARC_DECLARE_READER(Unlha)    /* libUnlha32.so */
ZR_ARC_DECLARE_READER(Cab)      /* libcab32.so */
ZR_ARC_DECLARE_READER(Tar)      /* libTar32.so */
ZR_ARC_DECLARE_READER(Unarj)    /* libUnarj32j.so */
ZR_ARC_DECLARE_READER(Unrar)    /* libunrar32.so (needs libunrar.so loadable) */
ZR_ARC_DECLARE_READER(UnZip)    /* libUnzip32.so */
ZR_ARC_DECLARE_READER(SevenZip) /* lib7z32.so */
int TarGetArchiveType(const char *file);
int ZipGetRunning(void); /* libZip32j.so: writes nothing, so never busy */

#ifdef __cplusplus
} /* extern "C" */

static_assert(sizeof(TIndividualInfo) == 560, "TIndividualInfo is 560 bytes");
static_assert(offsetof(TIndividualInfo, dwOriginalSize) == 0);
static_assert(offsetof(TIndividualInfo, dwCompressedSize) == 4);
static_assert(offsetof(TIndividualInfo, dwCRC) == 8);
static_assert(offsetof(TIndividualInfo, uFlag) == 12);
static_assert(offsetof(TIndividualInfo, uOSType) == 16);
static_assert(offsetof(TIndividualInfo, wRatio) == 20);
static_assert(offsetof(TIndividualInfo, wDate) == 22);
static_assert(offsetof(TIndividualInfo, wTime) == 24);
static_assert(offsetof(TIndividualInfo, szFileName) == 26);
static_assert(offsetof(TIndividualInfo, dummy1) == 539);
static_assert(offsetof(TIndividualInfo, szAttribute) == 542);
static_assert(offsetof(TIndividualInfo, szMode) == 550);
static_assert(offsetof(TIndividualInfo, dummy2) == 558);
static_assert(offsetof(TExtractingInfoEx, dwFileSize) == 0);
static_assert(offsetof(TExtractingInfoEx, dwWriteSize) == 4);
static_assert(offsetof(TExtractingInfoEx, szSourceFileName) == 8);
static_assert(offsetof(TExtractingInfoEx, szDestFileName) == 524);
static_assert(sizeof(TExtractingInfoEx) == 1040);

namespace zr {
using ::TExtractingInfoEx;
using ::TIndividualInfo;
}  // namespace zr
#else
_Static_assert(sizeof(TIndividualInfo) == 560, "TIndividualInfo is 560 bytes");
_Static_assert(offsetof(TIndividualInfo, szFileName) == 26, "name offset");
_Static_assert(offsetof(TIndividualInfo, szAttribute) == 542, "attribute offset");
_Static_assert(offsetof(TExtractingInfoEx, szDestFileName) == 524, "destination offset");
#endif

#endif /* ZR_ARCHIVERS_ARCHIVER_API_H */
