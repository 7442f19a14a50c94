#include "archivers/core/command_dialects.h"

namespace zr::archivers {

namespace {

// "-u -o" updates without asking: "-o" does not widen an update to all files.
void UnzipSwitch(std::string_view s, ExtractRequest &request)
{
    if (s == "-j")
        request.keepFolders = false;
    else if (s == "-u")
        request.overwrite = OverwritePolicy::kIfNewer;
    else if (s == "-o" && request.overwrite != OverwritePolicy::kIfNewer)
        request.overwrite = OverwritePolicy::kAlways;
    else if (s == "-n")
        request.overwrite = OverwritePolicy::kNever;
    else if (s == "--i")
        request.silent = true;
}

}  // namespace

const CommandDialect &UnzipDialect()
{
    static const CommandDialect dialect{'@', nullptr, &UnzipSwitch};
    return dialect;
}

}  // namespace zr::archivers
