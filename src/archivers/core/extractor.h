#pragma once
// Extracts the entries of one archive that match the request into its
// destination, applying the safety rules, and returns the command result
// (ZR_ARC_OK or a ZR_ARC_E_* code).

#include "archivers/core/archive_reader.h"
#include "archivers/core/extract_request.h"
#include "archivers/core/output_log.h"
#include "archivers/core/progress_reporter.h"

namespace zr::archivers {

int ExtractEntries(const ExtractRequest &request, ArchiveReader &reader, ProgressReporter &progress,
                   OutputLog &log);

}  // namespace zr::archivers
