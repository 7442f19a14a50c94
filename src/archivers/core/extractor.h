#pragma once
// Extracts the entries of one archive that match the request into its
// destination, applying the safety rules, and returns the command result
// (ZR_ARC_OK or a ZR_ARC_E_* code).

#include <cstdint>
#include <functional>
#include <string>

#include "archivers/core/archive_reader.h"
#include "archivers/core/extract_request.h"
#include "archivers/core/output_log.h"
#include "archivers/core/progress_reporter.h"

namespace zr::archivers {

// The search's fast path: a file of at most `limit` bytes is offered to
// `take` as bytes before anything of it is written, so a file that is only
// read once costs no file-system work. `take` answers kTaken, or kWrite to
// have the file written as usual, or kCancel. A file that grows past the
// limit (its header said less) is written as it comes, unoffered.
struct MemoryDelivery {
    enum Answer { kCancel = -1, kWrite = 0, kTaken = 1 };
    std::uint64_t limit = 0;
    std::function<int(const std::string &relativePath, const char *data, std::size_t size)> take;
};

int ExtractEntries(const ExtractRequest &request, ArchiveReader &reader, ProgressReporter &progress,
                   OutputLog &log, const MemoryDelivery *memory = nullptr);

}  // namespace zr::archivers
