#include "util/temp_folder.h"

#include "platform/temp_folder.h"

namespace zr {

std::string TempFolder()
{
    const platform::TempFolderResult folder = platform::PrivateTempFolder();
    return folder.Ok() ? folder.path : std::string();
}

}  // namespace zr
