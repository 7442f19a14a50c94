#pragma once
// File-type names and icons for list views, from the MIME database and the
// icon theme.

#include <QIcon>
#include <string>

namespace zr {

// The type name when it is not empty; otherwise "ファイル" followed by a blank
// and the upper-cased extension (or, for a name starting with ".", the name
// without its dot). Just "ファイル" for a name without extension.
std::string FileTypeLabel(const std::string &name, const std::string &shellTypeName);

// The icon and (through typeName, when given) the type label for a file name,
// an extension such as ".zip", or an existing folder.
QIcon FileTypeIcon(const std::string &nameOrExtension, std::string *typeName = nullptr);

// The small icon and the "open" small icon of a file; always true.
bool FileIcons(const std::string &fileName, QIcon &smallIcon, QIcon &openSmallIcon);

}  // namespace zr
