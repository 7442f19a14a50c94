#pragma once
// The file-type name shown for a stored name.

#include <string>

namespace zr::archive {

// The desktop's type name for the name (a folder's for a folder entry);
// without one, the upper-case extension + " ファイル", or "ファイル" alone.
std::string TypeNameForStoredName(const std::string &storedName, bool isFolder);

// The fall-back name built from the extension alone.
std::string FallbackTypeName(const std::string &storedName);

}  // namespace zr::archive
