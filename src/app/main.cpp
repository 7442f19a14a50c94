#include "app/grep_form.h"
#include "app/qt_translations.h"
#include "app/single_instance.h"
#include "archive/window/window_side.h"
#include "platform/locale_setup.h"
#include "util/message_registry_notice.h"

#include <QApplication>
#include <QFileInfo>
#include <QTimer>

namespace {

struct CommandLine {
    bool maximized = false;
    QString conditionFile;
};

CommandLine ParseCommandLine(const QStringList &arguments)
{
    CommandLine line;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString &arg = arguments[i];
        if (arg == QLatin1String("--maximized") || arg == QLatin1String("-maximized"))
            line.maximized = true;
        else if (line.conditionFile.isEmpty() && !arg.startsWith(QLatin1Char('-')))
            line.conditionFile = QFileInfo(arg).absoluteFilePath();
    }
    return line;
}

void BringToFront(zr::TGrepForm &form)
{
    if (form.isMinimized())
        form.showNormal();
    form.show();
    form.raise();
    form.activateWindow();
}

}  // namespace

int main(int argc, char *argv[])
{
    zr::platform::EnsureUtf8Ctype();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ZuRivo"));
    QApplication::setDesktopFileName(QStringLiteral("zurivo"));
    zr::archive::InstallArchiveWindowSide();
    zr::InstallQtJapaneseTranslations(app);
    const CommandLine line = ParseCommandLine(QApplication::arguments());

    zr::TSingleInstance instance(zr::SingleInstanceName());
    if (!instance.Claim()) {
        // Another copy runs: it takes the condition file and comes to the front.
        QStringList handOver;
        if (!line.conditionFile.isEmpty())
            handOver << line.conditionFile;
        zr::TSingleInstance::NotifyFirst(zr::SingleInstanceName(), handOver);
        return 0;
    }

    zr::ShowRegistryNoticesInMessageBoxes();
    zr::TGrepForm form({line.maximized});
    QObject::connect(&instance, &zr::TSingleInstance::Activated, &form, [&form](const QStringList &args) {
        BringToFront(form);
        if (!args.isEmpty() && form.RunState() != zr::TRunState::rsSearching)
            form.LoadConditionFile(args.first().toStdString());
    });
    if (line.maximized)
        form.showMaximized();
    else
        form.show();
    if (!line.conditionFile.isEmpty())
        QTimer::singleShot(
            0, &form, [&form, file = line.conditionFile] { form.LoadConditionFile(file.toStdString()); });
    return app.exec();
}
