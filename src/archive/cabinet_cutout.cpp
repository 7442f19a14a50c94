#include "archive/cabinet_cutout.h"

#include <filesystem>
#include <fstream>

#include "archive/archive_detection.h"
#include "util/file_queries.h"
#include "util/temp_folder.h"

namespace zr::archive {

std::string CutOutCabinetName(const std::string &executable, const std::string &workFolder)
{
    const std::string cabName = std::filesystem::path(executable).stem().string() + ".Cab";
    if (workFolder.empty()) {
        // Not next to the executable: that could replace a file of the user's.
        const std::string temp = TempFolder();
        return temp.empty() ? std::string() : temp + "/" + cabName;
    }
    if (FolderExists(workFolder))
        return workFolder + "/" + cabName;
    return workFolder;
}

bool CutOutCabinet(const std::string &executable, const std::string &target)
{
    if (target.empty())
        return false;
    const auto offset = FindCabinetSignature(executable);
    if (!offset)
        return false;
    std::ifstream in(executable, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(*offset));
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    if (!in || !out)
        return false;
    out << in.rdbuf();
    out.close();
    if (!out) {
        std::error_code ec;
        std::filesystem::remove(target, ec);
        return false;
    }
    return true;
}

}  // namespace zr::archive
