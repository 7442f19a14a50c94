#include "archivers/core/command_dialects.h"

namespace zr::archivers {

namespace {

// Tar overwrites unless told otherwise ("-q" keeps existing files).
void TarSwitch(std::string_view s, ExtractRequest &request)
{
    if (s == "--use-directory=0")
        request.keepFolders = false;
    else if (s == "--use-directory=1")
        request.keepFolders = true;
    else if (s == "--display-dialog=0")
        request.silent = true;
    else if (s == "-q")
        request.overwrite = OverwritePolicy::kNever;
}

}  // namespace

const CommandDialect &TarDialect()
{
    static const CommandDialect dialect{'@', nullptr, &TarSwitch, OverwritePolicy::kAlways};
    return dialect;
}

}  // namespace zr::archivers
