#include "archivers/core/command_dialects.h"

namespace zr::archivers {

namespace {

void RarSwitch(std::string_view s, ExtractRequest &request)
{
    if (s == "-x")
        request.keepFolders = true;
    else if (s == "-e")
        request.keepFolders = false;
    else if (s == "-u")
        request.overwrite = OverwritePolicy::kIfNewer;
    else if (s == "-o")
        request.overwrite = OverwritePolicy::kAlways;
    else if (s == "-o-")
        request.overwrite = OverwritePolicy::kNever;
}

}  // namespace

const CommandDialect &RarDialect()
{
    static const CommandDialect dialect{'@', nullptr, &RarSwitch};
    return dialect;
}

}  // namespace zr::archivers
