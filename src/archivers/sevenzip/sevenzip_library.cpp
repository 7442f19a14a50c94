// 7-zip32: the 7z archiver library.
#include "archivers/core/command_dialects.h"
#include "archivers/core/libarchive_reader.h"
#include "archivers/core/library_exports.h"

namespace zr::archivers {

namespace {

const LibraryTraits &SevenZipTraits()
{
    static const LibraryTraits traits{"7-zip32", &OpenLibarchiveFormat<LibarchiveFormat::k7z>,
                                      SevenZipDialect(), StopSense::kStopOnZero,
                                      RatioSense::kCompressedShare};
    return traits;
}

}  // namespace

}  // namespace zr::archivers

ZR_ARC_DEFINE_READER_EXPORTS(SevenZip, zr::archivers::SevenZipTraits())
