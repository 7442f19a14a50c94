#pragma once
// ArchiveReader for ZIP: the central directory read here, stored and
// deflated entries decoded here (deflate at ISA-L's speed). An archive with
// entries in any other method goes to libarchive, which decodes them.

#include <string>

#include "archivers/core/archive_reader.h"
#include "archivers/core/raw_inflater.h"

namespace zr::archivers {

// The ZIP library's reader factory.
OpenResult OpenZipArchive(const std::string &path, const OpenOptions &options);

// Our own reader only (no libarchive fallback), decoding deflate with
// `backend`: null reader when the archive needs libarchive.
OpenResult OpenOwnZipReader(const std::string &path, const OpenOptions &options,
                            InflateBackend backend = DefaultInflateBackend());

}  // namespace zr::archivers
