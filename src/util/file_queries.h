#pragma once
// Quiet queries about files and folders: a missing or unreadable path gives
// false, 0 or an empty string, never an exception.

#include <cstdint>
#include <string>

namespace zr {

// Attribute bits with the classic values. Linux has no system or archive
// attribute: hidden = dot name, read-only = not writable by its owner.
enum FileAttribute : std::uint32_t {
    faReadOnly = 0x01,
    faHidden = 0x02,
    faDirectory = 0x10,
    faNormal = 0x80,  // an existing entry with none of the other bits
};

bool FolderExists(const std::string &path);
// An existing entry that is not a folder.
bool FileExistsQuiet(const std::string &path);
// The attribute bits, 0 when the path cannot be read.
std::uint32_t FileAttributesOrZero(const std::string &path);
// Size in bytes (64-bit: larger files must not look empty); 0 when missing.
std::uint64_t FileSizeOf(const std::string &path);
bool IsEmptyFile(const std::string &path);

// The full path of an executable file: a name holding '/' is taken as given,
// otherwise the program's folder, then each folder of $PATH. Empty when none.
std::string FindOnSearchPath(const std::string &fileName);

// Makes a read-only file or folder writable by its owner, so that it (or its
// entries) can be removed. Symbolic links are left alone.
void ClearProtectiveAttributes(const std::string &path);

}  // namespace zr
