#include "app/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace zr {

bool InstallQtJapaneseTranslations(QCoreApplication &app)
{
    auto *translator = new QTranslator(&app);
    // qtbase_ja holds the widgets' texts; "qt_ja" is the older combined name.
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const char *name : {"qtbase_ja", "qt_ja"}) {
        if (translator->load(QString::fromLatin1(name), folder) && QCoreApplication::installTranslator(translator))
            return true;
    }
    delete translator;
    return false;
}

}  // namespace zr
