#include "archive/item_type_name.h"

#include <QMimeDatabase>
#include <QMimeType>

#include "archive/stored_name.h"

namespace zr::archive {

std::string FallbackTypeName(const std::string &storedName)
{
    const std::string base = StoredBaseName(storedName);
    const std::size_t dot = base.rfind('.');
    if (dot == std::string::npos || dot + 1 == base.size())
        return "ファイル";
    std::string extension = base.substr(dot + 1);
    for (char &c : extension)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return extension + " ファイル";
}

std::string TypeNameForStoredName(const std::string &storedName, bool isFolder)
{
    static const QMimeDatabase database;
    QMimeType type;
    if (isFolder) {
        type = database.mimeTypeForName(QStringLiteral("inode/directory"));
    } else {
        const QString base = QString::fromStdString(StoredBaseName(storedName));
        // By name only: the stored file is not on disk.
        type = database.mimeTypeForFile(base, QMimeDatabase::MatchExtension);
        if (type.isDefault())
            type = QMimeType();
    }
    const QString comment = type.isValid() ? type.comment() : QString();
    if (comment.isEmpty())
        return FallbackTypeName(storedName);
    return comment.toStdString();
}

}  // namespace zr::archive
