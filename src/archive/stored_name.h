#pragma once
// Splitting stored names into folder part and base name. Both "/" and "\"
// separate folders inside archives; scanning goes by characters of the
// system code page so a double-byte trail byte is never taken for "\".

#include <string>
#include <string_view>

namespace zr::archive {

// Byte offset just past the last separator character; 0 when there is none.
std::size_t FolderPartLength(std::string_view storedName);

// "dir/sub/file.txt" -> "dir/sub/"; "" when there is no separator.
std::string StoredFolderPart(std::string_view storedName);

// "dir/sub/file.txt" -> "file.txt"; the whole name when there is no separator.
std::string StoredBaseName(std::string_view storedName);

// True when the name ends in a separator character (a folder entry).
bool IsStoredFolderName(std::string_view storedName);

}  // namespace zr::archive
