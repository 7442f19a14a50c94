// Tar32: the TAR-family archiver library.
#include "archivers/core/command_dialects.h"
#include "archivers/core/libarchive_reader.h"
#include "archivers/core/library_exports.h"
#include "archivers/core/locale_guard.h"

namespace zr::archivers {

namespace {

const LibraryTraits &TarTraits()
{
    static const LibraryTraits traits{"Tar32",
                                      &OpenLibarchiveFormat<LibarchiveFormat::kTar>,
                                      TarDialect(),
                                      StopSense::kStopOnZero,
                                      RatioSense::kCompressedShare,
                                      true};
    return traits;
}

}  // namespace

}  // namespace zr::archivers

ZR_ARC_DEFINE_READER_EXPORTS(Tar, zr::archivers::TarTraits())

extern "C" __attribute__((visibility("default"))) int TarGetArchiveType(const char *file)
{
    try {
        zr::archivers::ScopedUtf8Locale locale;
        if (!file)
            return ZR_TAR_TYPE_NONE;
        // The search asks right after checking the archive, whose walk saw the type.
        if (const int remembered = zr::archivers::RememberedArchiveType(file))
            return remembered;
        return zr::archivers::DetectTarType(file);
    } catch (...) {
        return ZR_TAR_TYPE_NONE;
    }
}
