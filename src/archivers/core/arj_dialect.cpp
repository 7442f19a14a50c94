#include "archivers/core/command_dialects.h"

namespace zr::archivers {

namespace {

bool ArjCommand(std::string_view word, ExtractRequest &request)
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
    static const CommandDialect dialect{'!', &ArjCommand, &ArjSwitch};
    return dialect;
}

}  // namespace zr::archivers
