#include "archivers/core/command_dialects.h"

namespace zr::archivers {

bool ExtractCommandWord(std::string_view word, ExtractRequest &request)
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

}  // namespace zr::archivers
