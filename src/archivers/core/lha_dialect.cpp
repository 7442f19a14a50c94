#include "archivers/core/command_dialects.h"

namespace zr::archivers {

namespace {

bool LhaCommand(std::string_view word, ExtractRequest &request)
{
    if (word == "x" || word == "X") {
        request.keepFolders = true;
        return true;
    }
    if (word == "e" || word == "E") {
        request.keepFolders = false;
        return true;
    }
    return false;
}

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
    static const CommandDialect dialect{'@', &LhaCommand, &LhaSwitch};
    return dialect;
}

}  // namespace zr::archivers
