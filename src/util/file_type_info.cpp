#include "util/file_type_info.h"

#include "util/file_queries.h"
#include "util/path_names.h"

#include <QFileIconProvider>
#include <QMimeDatabase>

namespace zr {

namespace {
constexpr std::size_t kMaxLabelBytes = 260;

std::string UpperAscii(std::string text)
{
    for (char &c : text) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

// The part of the name the fall-back label shows; empty when there is none.
std::string LabelSuffix(const std::string &name)
{
    const std::string base = FileNamePart(name);
    if (!base.empty() && base[0] == '.')
        return base.substr(1);
    const std::size_t dot = base.rfind('.');
    return dot == std::string::npos ? std::string() : base.substr(dot + 1);
}

QIcon ThemeIconFor(const QMimeType &mime)
{
    QIcon icon = QIcon::fromTheme(mime.iconName());
    if (icon.isNull())
        icon = QIcon::fromTheme(mime.genericIconName());
    if (icon.isNull())
        icon = QFileIconProvider().icon(QFileIconProvider::File);
    return icon;
}
}  // namespace

std::string FileTypeLabel(const std::string &name, const std::string &shellTypeName)
{
    if (!shellTypeName.empty())
        return shellTypeName;
    const std::string suffix = LabelSuffix(name);
    if (suffix.empty())
        return "ファイル";
    return "ファイル " + UpperAscii(suffix.substr(0, kMaxLabelBytes));
}

QIcon FileTypeIcon(const std::string &nameOrExtension, std::string *typeName)
{
    const QMimeDatabase mimes;
    QIcon icon;
    std::string shellType;
    // Only a full path can name a folder; a bare name must not depend on the current folder.
    if (!nameOrExtension.empty() && nameOrExtension[0] == '/' && FolderExists(nameOrExtension)) {
        icon = QFileIconProvider().icon(QFileIconProvider::Folder);
        shellType = mimes.mimeTypeForName(QStringLiteral("inode/directory")).comment().toStdString();
    } else {
        const QMimeType mime = mimes.mimeTypeForFile(QString::fromStdString(FileNamePart(nameOrExtension)),
                                                     QMimeDatabase::MatchExtension);
        icon = ThemeIconFor(mime);
        if (!mime.isDefault())  // an unregistered type gets the fall-back label
            shellType = mime.comment().toStdString();
    }
    if (typeName != nullptr)
        *typeName = FileTypeLabel(nameOrExtension, shellType);
    return icon;
}

bool FileIcons(const std::string &fileName, QIcon &smallIcon, QIcon &openSmallIcon)
{
    smallIcon = FileTypeIcon(fileName);
    openSmallIcon = smallIcon;
    return true;
}

}  // namespace zr
