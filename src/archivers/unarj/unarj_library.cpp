// Unarj32j: the ARJ archiver library, over our own ARJ reader.
#include "archivers/core/command_dialects.h"
#include "archivers/core/library_exports.h"
#include "archivers/unarj/arj_archive_reader.h"

namespace zr::archivers {

namespace {

const LibraryTraits &UnarjTraits()
{
    static const LibraryTraits traits{"Unarj32j", &OpenArjArchiveReader, ArjDialect(), StopSense::kStopOnZero,
                                      RatioSense::kCompressedShare};
    return traits;
}

}  // namespace

}  // namespace zr::archivers

ZR_ARC_DEFINE_READER_EXPORTS(Unarj, zr::archivers::UnarjTraits())
