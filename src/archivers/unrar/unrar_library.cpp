// unrar32: the RAR archiver library.
#include "archivers/core/command_dialects.h"
#include "archivers/core/libarchive_reader.h"
#include "archivers/core/library_exports.h"

namespace zr::archivers {

namespace {

const LibraryTraits &UnrarTraits()
{
    static const LibraryTraits traits{"unrar32", &OpenLibarchiveFormat<LibarchiveFormat::kRar>, RarDialect(),
                                      StopSense::kStopOnZero, RatioSense::kCompressedShare};
    return traits;
}

}  // namespace

}  // namespace zr::archivers

ZR_ARC_DEFINE_READER_EXPORTS(Unrar, zr::archivers::UnrarTraits())
