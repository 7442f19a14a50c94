#include "archivers/core/command_dialects.h"

namespace zr::archivers {

namespace {

void ArjSwitch(std::string_view s, ExtractRequest &request)
{
    if (s == "-jyo")
        request.overwrite = OverwritePolicy::kAlways;
    else if (s == "-u")
        request.overwrite = OverwritePolicy::kIfNewer;
    else if (s == "-n")
        request.overwrite = OverwritePolicy::kNever;
    else if (s == "-i")
        request.silent = true;
}

}  // namespace

const CommandDialect &ArjDialect()
{
    static const CommandDialect dialect{'!', &ExtractCommandWord, &ArjSwitch};
    return dialect;
}

}  // namespace zr::archivers
