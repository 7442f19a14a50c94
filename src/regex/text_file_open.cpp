#include "regex/text_file_open.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "regex/txt_file_errors.h"

namespace zr::regex {

int OpenTextFileForReading(const std::string &fileName)
{
    int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw EFileNotFound(std::strerror(errno));
    struct stat info {};
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        int error = S_ISDIR(info.st_mode) ? EISDIR : errno;
        ::close(fd);
        throw EFileNotFound(std::strerror(error));
    }
    return fd;
}

}  // namespace zr::regex
