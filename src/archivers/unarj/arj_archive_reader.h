#pragma once
// ArchiveReader over our own ARJ reader, so the ARJ library shares the
// listing and extraction code of the others.

#include <string>

#include "archivers/core/archive_reader.h"

namespace zr::archivers {

OpenResult OpenArjArchiveReader(const std::string &path, const OpenOptions &options);

}  // namespace zr::archivers
