#pragma once
// Which stored files are archives to be searched inside: judged by their
// first bytes, as the archive libraries themselves recognise their formats,
// so a nested archive is found whatever its own name.

#include <string>
#include <string_view>

#include "archive/archive_types.h"

namespace zr::search {

// Enough of a stored file's start to judge it (a tar header's magic sits at 257).
inline constexpr std::size_t kNestHeadBytes = 512;

// The library type that reads an archive starting with `head`; atNone for
// anything else. Single compressed files (.gz .bz2 .xz .zst .lz4 .lz .Z)
// are read by the Tar library, with or without a tar inside.
archive::TArchiveType NestedArchiveType(std::string_view head);

// A compressed stream rather than an archive with its own names: its one
// entry is named after the stored file without its compression extension.
bool IsCompressedStreamHead(std::string_view head);

// Office and OpenDocument files are ZIPs, but they are read as documents,
// not opened as archives.
bool IsDocumentContainerName(std::string_view storedName);

// A name an archive is usually stored under (for listing without reading data).
bool HasArchiveExtension(std::string_view storedName);

// The name a compressed stream's one entry gets: "a.txt.gz" -> "a.txt",
// "b.tgz" -> "b.tar", anything else unchanged.
std::string CompressedStreamEntryName(std::string_view storedName);

}  // namespace zr::search
