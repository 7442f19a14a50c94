#include "util/system_queries.h"

#include "util/file_queries.h"
#include "util/path_names.h"

#include <climits>
#include <cstdlib>
#include <fstream>
#include <pwd.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <vector>

namespace zr {

namespace {
// mountinfo escapes blanks and backslashes as \ooo.
std::string DecodeOctalEscapes(std::string_view field)
{
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const std::string digits(field.substr(i + 1, 3));
            if (digits.find_first_not_of("01234567") == std::string::npos) {
                out += static_cast<char>(std::stoi(digits, nullptr, 8));
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

bool IsPathUnder(std::string_view path, std::string_view mountPoint)
{
    if (mountPoint == "/")
        return true;
    return path.substr(0, mountPoint.size()) == mountPoint &&
           (path.size() == mountPoint.size() || path[mountPoint.size()] == '/');
}

std::string ReadWholeFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The path itself when it exists, else its nearest existing ancestor; the
// current folder for an empty path.
std::string NearestExisting(const std::string &path)
{
    std::string probe = path.empty() ? std::string(".") : path;
    struct stat st {};
    while (::stat(probe.c_str(), &st) != 0) {
        const std::size_t slash = StripPathSeparator(probe).rfind('/');
        if (slash == std::string::npos)
            return ".";
        probe = slash == 0 ? std::string("/") : probe.substr(0, slash);
    }
    return probe;
}

bool ReadStatvfs(const std::string &path, struct statvfs &vfs)
{
    return ::statvfs(NearestExisting(path).c_str(), &vfs) == 0;
}

std::string AbsoluteReal(const std::string &path)
{
    char *real = ::realpath(NearestExisting(path).c_str(), nullptr);
    if (real == nullptr)
        return {};
    std::string out(real);
    std::free(real);
    return out;
}

bool BlockDeviceIsRemovable(unsigned major, unsigned minor)
{
    const std::string base = "/sys/dev/block/" + std::to_string(major) + ":" + std::to_string(minor);
    // A partition carries no flag of its own; its disk is the parent folder.
    for (const std::string &flag : {base + "/removable", base + "/../removable"}) {
        std::ifstream in(flag);
        int value = 0;
        if (in >> value)
            return value == 1;
    }
    return false;
}
}  // namespace

MountEntry MountHolding(std::string_view mountinfo, std::string_view absolutePath)
{
    MountEntry best;
    std::istringstream lines{std::string(mountinfo)};
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string id, parent, devNumbers, root, mountPoint;
        if (!(fields >> id >> parent >> devNumbers >> root >> mountPoint))
            continue;
        mountPoint = DecodeOctalEscapes(mountPoint);
        if (!IsPathUnder(absolutePath, mountPoint) || mountPoint.size() < best.mountPoint.size())
            continue;
        const std::size_t colon = devNumbers.find(':');
        if (colon == std::string::npos)
            continue;
        best.mountPoint = mountPoint;
        best.major = static_cast<unsigned>(std::strtoul(devNumbers.c_str(), nullptr, 10));
        best.minor = static_cast<unsigned>(std::strtoul(devNumbers.c_str() + colon + 1, nullptr, 10));
    }
    return best;
}

bool IsRemovableMountPoint(std::string_view mountPoint)
{
    return IsPathUnder(mountPoint, "/media") || IsPathUnder(mountPoint, "/run/media");
}

bool IsRemovableDrive(const std::string &path)
{
    const std::string real = AbsoluteReal(path);
    if (real.empty())
        return false;
    const MountEntry mount = MountHolding(ReadWholeFile("/proc/self/mountinfo"), real);
    if (mount.mountPoint.empty())
        return false;
    return IsRemovableMountPoint(mount.mountPoint) || BlockDeviceIsRemovable(mount.major, mount.minor);
}

bool IsDriveReady(const std::string &path)
{
    struct statvfs vfs {};
    return ReadStatvfs(path, vfs);
}

double DriveFreeBytes(const std::string &path)
{
    struct statvfs vfs {};
    if (!ReadStatvfs(path, vfs))
        return 0;
    return static_cast<double>(vfs.f_frsize) * static_cast<double>(vfs.f_bavail);
}

double DriveTotalBytes(const std::string &path)
{
    struct statvfs vfs {};
    if (!ReadStatvfs(path, vfs))
        return 0;
    return static_cast<double>(vfs.f_frsize) * static_cast<double>(vfs.f_blocks);
}

bool IsWindowsNT() { return true; }

bool HasNetworkNeighborhood() { return false; }

std::string RegisteredOwnerName()
{
    std::vector<char> buf(16384);
    struct passwd pw {};
    struct passwd *found = nullptr;
    if (::getpwuid_r(::getuid(), &pw, buf.data(), buf.size(), &found) != 0 || found == nullptr ||
        found->pw_gecos == nullptr)
        return {};
    const std::string gecos = found->pw_gecos;
    return gecos.substr(0, gecos.find(','));
}

std::string ComputerNameFromRegistry()
{
    char name[HOST_NAME_MAX + 1] = {};
    if (::gethostname(name, sizeof name - 1) != 0)
        return {};
    return name;
}

std::string WindowsFolder() { return "/"; }

}  // namespace zr
