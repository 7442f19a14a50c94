#include "app/zizv_launch.h"

#include "platform/command_line.h"
#include "util/file_queries.h"
#include "util/path_names.h"
#include "util/temp_folder.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace zr {

namespace {

bool WriteAll(int fd, const std::string &bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

std::optional<std::string> WriteArchiveListFile(const std::vector<std::string> &paths,
                                                const std::string &folder)
{
    const std::string base = folder.empty() ? TempFolder() : folder;
    if (base.empty())
        return std::nullopt;
    std::string name = AppendPathSeparator(base) + "ZRWXXXXXX";
    const int fd = ::mkstemp(name.data());
    if (fd < 0)
        return std::nullopt;
    std::string text;
    for (const std::string &path : paths)
        if (path.find_first_of("\r\n") == std::string::npos)
            text += path + "\r\n";
    const bool written = WriteAll(fd, text);
    const bool closed = ::close(fd) == 0;
    if (!written || !closed) {
        ::unlink(name.c_str());
        return std::nullopt;
    }
    return name;
}

std::string FindZiZiv()
{
    const std::string found = FindOnSearchPath("ZiZiv.exe");
    return found.empty() ? FindOnSearchPath("ZiZiv") : found;
}

std::string ZiZivCommandLine(const std::string &program, const std::string &listFile)
{
    return QuoteIfSpaced(program) + " /Da Grep! " + platform::QuoteCommandLineArgument("@" + listFile) +
           " /Send";
}

std::string ZiZivActionHint(bool found)
{
    const std::string hint = "検索結果の書庫をZiZivで開きます";
    return found ? hint : hint + "（ZiZivが見つかりません）";
}

}  // namespace zr
