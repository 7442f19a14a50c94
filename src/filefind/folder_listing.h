#pragma once
// One folder's entries, sorted bytewise by name, with what they are.

#include <string>
#include <vector>

namespace zr {

enum class EntryKind {
    File,          // a regular file, or a link to one
    Folder,        // a real folder
    LinkedFolder,  // a symbolic link to a folder: listed, never descended
    Other,         // devices, pipes, sockets, dangling links: never reported
};

struct FolderEntry {
    std::string name;
    EntryKind kind = EntryKind::Other;
};

// The entries of folder except "." and "..". Returns false and sets error
// (an errno value) when the folder cannot be read.
bool ListFolder(const std::string &folder, std::vector<FolderEntry> &entries, int &error);

}  // namespace zr
