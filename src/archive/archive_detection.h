#pragma once
// How a file's archive type is found: by its extension, confirmed or probed
// through the archiver libraries, and the self-extractor kinds.

#include <cstdint>
#include <optional>
#include <string>

#include "archive/archive_types.h"

namespace zr::archive {

// The last extension of the base name in upper case, with its point
// (".GZ" for "a.tar.gz"); empty when there is none.
std::string UpperExtension(const std::string &fileName);

// ".LZH" Lha, ".CAB" Cab, ".TAR" ".TAZ" ".GZ" ".Z" ".TGZ" ".BZ2" Tar, ".ARJ"
// Arj, ".RAR" Rar, ".ZIP" Zip (any case); anything else none.
TArchiveType TypeFromExtension(const std::string &fileName);

// Offset of the cabinet signature (MSCF and four zero bytes) within the
// first bytes of the file, as self-extracting cabinets are found.
std::optional<std::uint64_t> FindCabinetSignature(const std::string &fileName);

// The cabinet scan: the Cab library's own check when it reads executables,
// else the signature search; false when the Cab library does not load.
bool CabinetScan(const std::string &fileName);

struct DetectionSettings {
    bool lhaIgnoreBrokenHeader = false;
    TSupportArchives supportArchives;
    // Whatever the name says: when its extension names no type, or that
    // type's library refuses the file, every library is asked in turn, as
    // for an executable (a file the user named as an archive).
    bool judgeByContent = false;
};

// Content check of an existing file; atNone when no library accepts it.
TArchiveType DetectArchiveType(const std::string &fileName, const DetectionSettings &settings);

// Self-extractor kind of a self-extracting LHA archive's code.
TLhaSfxType LhaSfxTypeForCode(int code);

}  // namespace zr::archive
