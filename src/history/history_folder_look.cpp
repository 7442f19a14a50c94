#include "history/history_folder_look.h"

#include "util/file_queries.h"
#include "util/path_names.h"
#include "util/system_queries.h"

#include <QStorageInfo>

namespace zr {

namespace {

// The mount holding path when path is that mount's root, else null.
bool IsMountRoot(const std::string &path, QStorageInfo &storage)
{
    storage = QStorageInfo(QString::fromStdString(path));
    return storage.isValid() && NormalizeFolderPath(storage.rootPath().toStdString()) == path;
}

}  // namespace

TFolderEntryLook FolderEntryLook(const std::string &entry, const std::string &programFolder)
{
    TFolderEntryLook look{programFolder, NormalizeFolderPath(entry)};
    if (look.text.empty())
        return look;
    QStorageInfo storage;
    const bool exists = FolderExists(look.text) || FileExistsQuiet(look.text);
    const bool mountRoot = exists && IsMountRoot(look.text, storage);
    if (IsRemovableDrive(look.text) && !mountRoot)
        return look;
    if (exists)
        look.iconSource = look.text;
    if (mountRoot) {
        const std::string name = storage.displayName().toStdString();
        if (!name.empty())
            look.text = name;
    }
    return look;
}

}  // namespace zr
