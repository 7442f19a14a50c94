// Unlha32: the LHA archiver library.
#include "archivers/core/command_dialects.h"
#include "archivers/core/libarchive_reader.h"
#include "archivers/core/library_exports.h"

namespace zr::archivers {

namespace {

const LibraryTraits &UnlhaTraits()
{
    static const LibraryTraits traits{"Unlha32", &OpenLibarchiveFormat<LibarchiveFormat::kLha>, LhaDialect(),
                                      StopSense::kStopOnZero, RatioSense::kCompressedShare};
    return traits;
}

}  // namespace

}  // namespace zr::archivers

ZR_ARC_DEFINE_READER_EXPORTS(Unlha, zr::archivers::UnlhaTraits())
