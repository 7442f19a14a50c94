#include "platform/process_launch.h"

#include "platform/command_line.h"
#include "platform/search_path.h"

#include <QProcess>
#include <QString>
#include <QStringList>

namespace zr::platform {

namespace {
QString ToQString(const std::string &text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
}  // namespace

LaunchResult StartDetached(const std::vector<std::string> &arguments, const std::string &workingFolder)
{
    if (arguments.empty() || arguments.front().empty())
        return {false, 0, "起動するプログラムがありません"};
    const std::string program = FindExecutableOnPath(arguments.front());
    if (program.empty())
        return {false, 0, "プログラムが見つかりません: " + arguments.front()};
    QStringList args;
    for (std::size_t i = 1; i < arguments.size(); ++i)
        args << ToQString(arguments[i]);
    qint64 pid = 0;
    if (!QProcess::startDetached(ToQString(program), args, ToQString(workingFolder), &pid))
        return {false, 0, "プログラムを起動できません: " + program};
    return {true, static_cast<long long>(pid), {}};
}

LaunchResult StartCommandLineDetached(std::string_view commandLine, const std::string &workingFolder)
{
    return StartDetached(SplitCommandLine(commandLine), workingFolder);
}

}  // namespace zr::platform
