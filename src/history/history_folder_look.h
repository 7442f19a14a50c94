#pragma once
// How the folder history draws an entry: which path the icon is asked for and
// which text is shown. Removable media are asked about only when the entry is
// their root, so that drawing a list never spins up a drive.

#include <string>

namespace zr {

struct TFolderEntryLook {
    std::string iconSource;  // the path whose icon is drawn
    std::string text;        // the entry, or a drive root's display name
};

TFolderEntryLook FolderEntryLook(const std::string &entry, const std::string &programFolder);

}  // namespace zr
