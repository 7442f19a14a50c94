#pragma once
// What every format reader offers the listing and extraction code: entries
// in archive order, and the data of the current entry pushed into a sink.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "archivers/core/archive_entry_info.h"

namespace zr::archivers {

enum class ReadStatus { kOk, kEnd, kError };

// Receives the data of one entry in order; returns false to stop.
using DataSink = std::function<bool(const char *data, std::size_t size)>;

enum class DataStatus { kComplete, kStopped, kError };

class ArchiveReader {
public:
    virtual ~ArchiveReader() = default;

    // Moves to the next entry. kError leaves the reader unusable.
    virtual ReadStatus next(EntryInfo &entry) = 0;

    // Pushes the current entry's bytes; kError on a CRC or decompression
    // failure (errorText() says which).
    virtual DataStatus readData(const DataSink &sink) = 0;

    // Offset of the archive inside the file (non-zero inside an executable).
    virtual std::uint64_t archiveOffset() const = 0;

    // Whether next() can only skip an entry's data by decompressing it (the
    // entries of a compressed tar): then a walk's data is worth keeping.
    virtual bool skipDecompresses() const { return false; }

    // The library's own code for the kind of archive (what Tar32's
    // TarGetArchiveType answers), valid once next() has read a header;
    // 0 when the reader has none.
    virtual int archiveType() const { return 0; }

    // Skips the current entry's data as next() would (it counts against the
    // unwritten budget) while showing it to `observer`, whose answer is
    // ignored; a hole in a sparse entry comes as null data of its size.
    // Only readers whose skipDecompresses() is true show anything.
    virtual DataStatus skipData(const DataSink &observer)
    {
        (void)observer;
        return readData(nullptr);
    }

    const std::string &errorText() const { return errorText_; }
    bool errorIsFatal() const { return errorFatal_; }
    // The archive's own headers are encrypted: without the password not
    // even its names can be read.
    bool errorIsLockedArchive() const { return errorLocked_; }

    // Readers that may decompress a lot without giving data out (the
    // skipped entries of a solid block) ask `keepGoing` now and then and
    // fail with stoppedByCaller() set once it says no.
    virtual void setStopCheck(std::function<bool()> keepGoing) { (void)keepGoing; }
    bool stoppedByCaller() const { return stoppedByCaller_; }

    // Why next() gave kEnd before the archive's real end (a broken header
    // that was tolerated); empty when the archive ended normally.
    const std::string &endNote() const { return endNote_; }

protected:
    void setError(std::string text, bool fatal, bool lockedArchive = false)
    {
        errorText_ = std::move(text);
        errorFatal_ = fatal;
        errorLocked_ = lockedArchive;
    }
    void setEndNote(std::string text) { endNote_ = std::move(text); }
    void setStoppedByCaller() { stoppedByCaller_ = true; }

private:
    bool stoppedByCaller_ = false;
    std::string errorText_;
    bool errorFatal_ = false;
    bool errorLocked_ = false;
    std::string endNote_;
};

// Data decompressed only to be checked, counted, measured or skipped over is
// never written anywhere, so no disk or size limit stops it, and a few KB can
// expand to tens of GB. Each opened archive may decompress at most this much
// such data (what a 32-bit size field can show); past it the check, count or
// measurement fails or stops instead of running for hours.
// The fuzzing build sets a smaller one, so that one input costs seconds.
#ifndef ZR_UNWRITTEN_BUDGET_MB
#define ZR_UNWRITTEN_BUDGET_MB 4096
#endif
constexpr std::uint64_t kUnwrittenDataBudget = std::uint64_t{ZR_UNWRITTEN_BUDGET_MB} << 20;
inline constexpr const char *kUnwrittenBudgetError =
    "stopped: more data decompressed without being written than allowed (a compression bomb?)";

struct OpenOptions {
    // Lha: start at the first header that reads, and end (keeping the
    // entries before it) at a broken header further on.
    bool tolerateBrokenHeaders = false;
    bool measureUnknownSizes = false;  // listing: decompress a .Z/.bz2 once to learn its size
    std::uint64_t unwrittenBudget = kUnwrittenDataBudget;
};

struct OpenResult {
    std::unique_ptr<ArchiveReader> reader;  // null on failure
    std::string error;
};

using ReaderFactory = OpenResult (*)(const std::string &path, const OpenOptions &options);

}  // namespace zr::archivers
