#pragma once
// Queries about the file system that holds a path and about the machine.
// Linux has no drives: a "drive" is the mounted file system holding the path
// (or, for a path that does not exist yet, its nearest existing folder).

#include <string>
#include <string_view>

namespace zr {

struct MountEntry {
    std::string mountPoint;
    unsigned major = 0;
    unsigned minor = 0;
};

// The mount of /proc/self/mountinfo text whose mount point is the longest
// prefix of the absolute path; an empty mountPoint when none matches.
MountEntry MountHolding(std::string_view mountinfo, std::string_view absolutePath);

// True for mounts that desktop systems make for removable media.
bool IsRemovableMountPoint(std::string_view mountPoint);

bool IsRemovableDrive(const std::string &path);
bool IsDriveReady(const std::string &path);
double DriveFreeBytes(const std::string &path);   // available to this user; 0 when unknown
double DriveTotalBytes(const std::string &path);  // 0 when unknown

// Linux is a multi-user system like the NT family.
bool IsWindowsNT();
// There is no network neighbourhood folder on Linux.
bool HasNetworkNeighborhood();
// The user's full name from the account database; empty when it has none.
std::string RegisteredOwnerName();
// The host name; empty when it cannot be read.
std::string ComputerNameFromRegistry();
// The system folder used to show the folder icon: the root.
std::string WindowsFolder();

}  // namespace zr
