#pragma once
// What sets one archiver library apart: its reader, its command language,
// the sense of its callback's stop value and how it states the ratio.

#include "archivers/core/archive_reader.h"
#include "archivers/core/command_parser.h"
#include "archivers/core/progress_reporter.h"

namespace zr::archivers {

enum class RatioSense {
    kCompressedShare,  // compressed / original
    kSaving,           // (original - compressed) / original
};

struct LibraryTraits {
    const char *name;  // for the log: "Unlha32", ...
    ReaderFactory openReader;
    CommandDialect dialect;
    StopSense stopSense = StopSense::kStopOnZero;
    RatioSense ratioSense = RatioSense::kCompressedShare;
    // Keep the last archive walked (see walk_memo.h): worth it only where
    // skipping through an archive means decompressing it.
    bool rememberWalks = false;
};

}  // namespace zr::archivers
