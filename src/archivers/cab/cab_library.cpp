// cab32: the CAB archiver library.
#include "archivers/core/command_dialects.h"
#include "archivers/core/libarchive_reader.h"
#include "archivers/core/library_exports.h"

namespace zr::archivers {

namespace {

const LibraryTraits &CabTraits()
{
    static const LibraryTraits traits{"cab32", &OpenLibarchiveFormat<LibarchiveFormat::kCab>, CabDialect(),
                                      StopSense::kStopOnZero, RatioSense::kCompressedShare};
    return traits;
}

}  // namespace

}  // namespace zr::archivers

ZR_ARC_DEFINE_READER_EXPORTS(Cab, zr::archivers::CabTraits())
