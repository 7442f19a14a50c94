#pragma once
// Removing folder trees. Symbolic links inside the tree are removed as links;
// their targets, inside or outside the tree, are never touched.

#include <string>

namespace zr {

// Deletes every file below folder and then its folders (and folder itself
// with includeSelf). Files that cannot be deleted are skipped; the result is
// false when a folder could not be removed, and no further folder is removed
// after that. A missing folder gives true. When folder is itself a symbolic
// link, only the link is removed (with includeSelf) or false is returned.
bool DeleteFolderTree(const std::string &folder, bool includeSelf);

// Deletes a file, a symbolic link or a whole folder tree. True when the path
// is gone afterwards or never existed.
bool DeleteFileOrFolder(const std::string &path);

}  // namespace zr
