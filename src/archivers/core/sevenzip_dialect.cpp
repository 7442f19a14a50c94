#include "archivers/core/command_dialects.h"

namespace zr::archivers {

namespace {

// 7-Zip's overwrite switches, and "-aon" for "only when the stored file is
// newer"; without one, existing files are kept (no dialog here to ask).
void SevenZipSwitch(std::string_view s, ExtractRequest &request)
{
    if (s == "-aoa")
        request.overwrite = OverwritePolicy::kAlways;
    else if (s == "-aon")
        request.overwrite = OverwritePolicy::kIfNewer;
    else if (s == "-aos" || s == "-aou")  // skip; rename is not offered, so the existing file stays
        request.overwrite = OverwritePolicy::kNever;
    else if (s == "-hide")
        request.silent = true;
    else if (s.size() > 2 && s.substr(0, 2) == "-o")
        request.destination = std::string(s.substr(2));
}

}  // namespace

const CommandDialect &SevenZipDialect()
{
    static const CommandDialect dialect{'@', &ExtractCommandWord, &SevenZipSwitch};
    return dialect;
}

}  // namespace zr::archivers
