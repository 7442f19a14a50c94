// Unzip32: the ZIP (reading) archiver library.
#include "archivers/core/command_dialects.h"
#include "archivers/core/library_exports.h"
#include "archivers/core/zip_reader.h"

namespace zr::archivers {

namespace {

const LibraryTraits &UnZipTraits()
{
    static const LibraryTraits traits{"Unzip32", &OpenZipArchive, UnzipDialect(), StopSense::kStopOnNonZero,
                                      RatioSense::kSaving};
    return traits;
}

}  // namespace

}  // namespace zr::archivers

ZR_ARC_DEFINE_READER_EXPORTS(UnZip, zr::archivers::UnZipTraits())
