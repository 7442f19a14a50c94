#pragma once
// ArchiveReader over libarchive for LHA, CAB, the TAR family, RAR, ZIP and 7z.
// Each library enables only its own format, so a ZIP never passes as LHA.

#include <string>

#include "archivers/core/archive_reader.h"

namespace zr::archivers {

enum class LibarchiveFormat { kLha, kCab, kTar, kRar, kZip, k7z };

OpenResult OpenLibarchiveReader(const std::string &path, LibarchiveFormat format, const OpenOptions &options);

// The reader factory of a library that reads one format through libarchive.
template <LibarchiveFormat format>
OpenResult OpenLibarchiveFormat(const std::string &path, const OpenOptions &options)
{
    return OpenLibarchiveReader(path, format, options);
}

// Which of the tar sub-types (ZR_TAR_TYPE_*) the file is; ZR_TAR_TYPE_NONE when none.
int DetectTarType(const std::string &path);

}  // namespace zr::archivers
