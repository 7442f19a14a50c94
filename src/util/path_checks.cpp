#include "util/path_checks.h"

#include "util/dbcs.h"
#include "util/file_queries.h"
#include "util/path_names.h"

#include <cerrno>
#include <cstdlib>
#include <unistd.h>

namespace zr {

namespace {
// A check that stays silent when the caller asked for no messages.
class QuietUi final : public PathCheckUi {
public:
    void ShowError(QWidget *, const std::string &) override {}
    bool AskRetryAfterSystemError(QWidget *, int, const std::string &) override { return false; }
};

std::string ForbiddenCharsLine()
{
    std::string line;
    for (const char *c = kForbiddenNameChars; *c != '\0'; ++c) {
        if (!line.empty())
            line += ' ';
        line += *c;
    }
    return line;
}

bool HasForbiddenChar(const std::string &name)
{
    for (const char *c = kForbiddenNameChars; *c != '\0'; ++c) {
        if (PosDBCS(std::string_view(c, 1), name) != 0)
            return true;
    }
    return false;
}

// The folder part of a path: everything up to its last separator ("." when
// there is none).
std::string FolderPartOf(const std::string &path)
{
    const std::size_t slash = path.rfind(kPathSeparator);
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

// Creates and removes a uniquely named probe file; errno tells why it failed.
bool CanCreateFileIn(const std::string &folder)
{
    std::string probe = AppendPathSeparator(folder) + "ZIZIV)DELETEOK(XXXXXX.TMP";
    const int fd = ::mkstemps(probe.data(), 4);
    if (fd < 0)
        return false;
    ::close(fd);
    ::unlink(probe.c_str());
    return true;
}
}  // namespace

bool CheckFileNameChars(QWidget *owner, const std::string &name, PathCheckUi &ui)
{
    if (!HasForbiddenChar(name))
        return true;
    ui.ShowError(owner, "ファイル：" + name + "\n" + "ファイル名には次の文字は使えません。" + "\n" +
                            ForbiddenCharsLine());
    return false;
}

bool CheckFolderPath(bool show, QWidget *owner, const std::string &path, PathCheckUi &ui)
{
    QuietUi quiet;
    PathCheckUi &out = show ? ui : quiet;
    const long count = CountSeparators(path, kPathSeparator);
    std::string accumulated;
    for (long i = 1; i <= count; ++i) {
        const std::string element = PathElement(path, i, kPathSeparator);
        if (element.empty() && i == 1 && !path.empty() && path[0] == kPathSeparator) {
            accumulated = "/";  // the root, like a drive: not tested further
            continue;
        }
        if (element.empty()) {
            out.ShowError(owner,
                          "フォルダ：" + path + "\n" + "一部のフォルダが省略されています。(例えば//等)");
            return false;
        }
        if (!CheckFileNameChars(owner, element, out))
            return false;
        accumulated += element;
        if (!FolderExists(accumulated)) {
            out.ShowError(owner, "フォルダ [" + element + "] は存在しません。");
            return false;
        }
        accumulated += kPathSeparator;
    }
    return true;
}

bool CheckFolderWritable(bool show, QWidget *owner, const std::string &path, PathCheckUi &ui)
{
    const std::string folder = FolderExists(path) ? path : FolderPartOf(path);
    for (;;) {
        if (CanCreateFileIn(folder))
            return true;
        const int error = errno;
        if (!show || !ui.AskRetryAfterSystemError(owner, error, "I/Oエラーが発生しました"))
            return false;
    }
}

}  // namespace zr
