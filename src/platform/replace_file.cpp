#include "platform/replace_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace zr::platform {

namespace {

// The file a write should replace: the target of a symbolic link, so the
// link itself survives.
std::string WriteTarget(const std::string &path)
{
    char *resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved)
        return path;
    std::string target(resolved);
    std::free(resolved);
    return target;
}

// The mode a newly created file gets: 0666 less the process's umask, read
// without changing it (umask() would race with other threads).
mode_t NewFileMode()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("Umask:"))
            return 0666 & ~static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
    return 0600;
}

}  // namespace

void ReplaceFileContents(const std::string &path, std::string_view bytes)
{
    const std::string target = WriteTarget(path);
    std::string temp = target + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        throw EFileWriteError(path + " に書き込めません: " + std::strerror(errno));
    struct stat old {};
    const mode_t mode = ::stat(target.c_str(), &old) == 0 ? (old.st_mode & 07777) : NewFileMode();
    const bool written = ::fchmod(fd, mode) == 0 && WriteAllBytes(fd, bytes) && ::fsync(fd) == 0;
    const int savedErrno = errno;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || std::rename(temp.c_str(), target.c_str()) != 0) {
        const int error = written && closed ? errno : savedErrno;
        ::unlink(temp.c_str());
        throw EFileWriteError(path + " に書き込めません: " + std::strerror(error));
    }
}

bool WriteAllBytes(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

}  // namespace zr::platform
