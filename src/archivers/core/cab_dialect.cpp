#include "archivers/core/command_dialects.h"

namespace zr::archivers {

namespace {

void CabSwitch(std::string_view s, ExtractRequest &request)
{
    if (s == "-j")
        request.keepFolders = false;
    else if (s == "-n")
        request.overwrite = OverwritePolicy::kIfNewer;
    else if (s == "-o")
        request.overwrite = OverwritePolicy::kAlways;
    else if (s == "-i")
        request.silent = true;
}

}  // namespace

const CommandDialect &CabDialect()
{
    static const CommandDialect dialect{'@', nullptr, &CabSwitch};
    return dialect;
}

}  // namespace zr::archivers
