#include "platform/program_folder.h"

#include <filesystem>

namespace zr::platform {

std::string ProgramPath()
{
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.string();
}

std::string ProgramFolder()
{
    const std::string exe = ProgramPath();
    const std::size_t cut = exe.rfind('/');
    if (cut == std::string::npos)
        return {};
    return cut == 0 ? std::string("/") : exe.substr(0, cut);
}

}  // namespace zr::platform
