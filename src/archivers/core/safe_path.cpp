#include "archivers/core/safe_path.h"

#include <array>
#include <cctype>

namespace zr::archivers {

namespace {

std::string UpperAscii(std::string_view s)
{
    std::string out(s);
    for (auto &c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

bool HasDrivePrefix(std::string_view name)
{
    return name.size() >= 2 && name[1] == ':' && std::isalpha(static_cast<unsigned char>(name[0]));
}

SafePath Refuse(std::string reason)
{
    SafePath result;
    result.refusal = std::move(reason);
    return result;
}

}  // namespace

bool IsDeviceName(std::string_view element)
{
    // Reserved names stay reserved with any extension ("NUL.txt").
    const std::string base = UpperAscii(element.substr(0, element.find('.')));
    static const std::array<const char *, 4> plain = {"CON", "PRN", "AUX", "NUL"};
    for (const char *d : plain)
        if (base == d)
            return true;
    if (base.size() == 4 && (base.rfind("COM", 0) == 0 || base.rfind("LPT", 0) == 0))
        return base[3] >= '1' && base[3] <= '9';
    return false;
}

SafePath MakeSafeRelativePath(std::string_view name, bool keepFolders)
{
    if (name.empty())
        return Refuse("empty name");
    if (name.front() == '/' || name.front() == '\\')
        return Refuse("absolute name");
    if (HasDrivePrefix(name))
        return Refuse("drive prefix");
    SafePath result;
    std::size_t start = 0;
    while (start <= name.size()) {
        const auto end = std::min(name.find_first_of("/\\", start), name.size());
        const std::string_view element = name.substr(start, end - start);
        start = end + 1;
        if (element.empty() || element == ".")
            continue;
        if (element == "..")
            return Refuse("\"..\" element");
        if (IsDeviceName(element))
            return Refuse("device name");
        result.components.emplace_back(element);
    }
    if (!keepFolders && result.components.size() > 1)
        result.components.erase(result.components.begin(), result.components.end() - 1);
    result.ok = true;
    return result;
}

}  // namespace zr::archivers
