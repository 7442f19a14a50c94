#include "archivers/core/command_dialects.h"

namespace zr::archivers {

namespace {

void LhaSwitch(std::string_view s, ExtractRequest &request)
{
    if (s == "-m0c" || s == "-m2c")  // ask, rename: no dialog here, so existing files are kept
        request.overwrite = OverwritePolicy::kAsk;
    else if (s == "-m1c0")
        request.overwrite = OverwritePolicy::kIfNewer;
    else if (s == "-m1c")
        request.overwrite = OverwritePolicy::kAlways;
    else if (s == "-c0jn")
        request.overwrite = OverwritePolicy::kNever;
    else if (s == "-n")
        request.silent = true;
    else if (s == "-jc1")
        request.tolerateBrokenHeaders = true;
}

}  // namespace

const CommandDialect &LhaDialect()
{
    static const CommandDialect dialect{'@', &ExtractCommandWord, &LhaSwitch};
    return dialect;
}

}  // namespace zr::archivers
