#include "platform/temp_folder.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zr::platform {

namespace {

TempFolderResult Refuse(std::string path, const std::string &why)
{
    std::string message = "一時フォルダ " + path + " は使えません: " + why;
    return {std::move(path), std::move(message)};
}

// Checks the folder through a descriptor opened without following links, so
// the folder checked is the folder found.
TempFolderResult Verify(const std::string &path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ELOOP)
            return Refuse(path, "シンボリックリンクです");
        if (errno == ENOTDIR)
            return Refuse(path, "フォルダではありません");
        return Refuse(path, std::strerror(errno));
    }
    struct stat st {};
    const bool statOk = ::fstat(fd, &st) == 0;
    ::close(fd);
    if (!statOk)
        return Refuse(path, std::strerror(errno));
    if (st.st_uid != ::geteuid())
        return Refuse(path, "他のユーザーの所有です");
    if ((st.st_mode & 07777) != 0700)
        return Refuse(path, "アクセス権が 0700 ではありません");
    return {path, {}};
}

}  // namespace

std::string SystemTempBase()
{
    const char *tmp = std::getenv("TMPDIR");
    if (tmp && tmp[0] == '/') {
        std::string base(tmp);
        while (base.size() > 1 && base.back() == '/')
            base.pop_back();
        return base;
    }
    return "/tmp";
}

TempFolderResult PrivateTempFolderIn(const std::string &base)
{
    std::string path = base;
    if (path.empty() || path.back() != '/')
        path += '/';
    path += "zurivo-" + std::to_string(::geteuid());
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        return Refuse(path, std::strerror(errno));
    return Verify(path);
}

TempFolderResult PrivateTempFolder() { return PrivateTempFolderIn(SystemTempBase()); }

}  // namespace zr::platform
