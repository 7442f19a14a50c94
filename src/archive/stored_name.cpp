#include "archive/stored_name.h"

#include "platform/mbchar.h"

namespace zr::archive {

std::size_t FolderPartLength(std::string_view storedName) {
    std::size_t end = 0;
    for (std::size_t pos = 0; pos < storedName.size();) {
        const std::size_t length = platform::CharLengthAt(storedName, pos);
        if (length == 1 && (storedName[pos] == '/' || storedName[pos] == '\\')) end = pos + 1;
        pos += length;
    }
    return end;
}

std::string StoredFolderPart(std::string_view storedName) {
    return std::string(storedName.substr(0, FolderPartLength(storedName)));
}

std::string StoredBaseName(std::string_view storedName) {
    return std::string(storedName.substr(FolderPartLength(storedName)));
}

bool IsStoredFolderName(std::string_view storedName) {
    return !storedName.empty() && FolderPartLength(storedName) == storedName.size();
}

}  // namespace zr::archive
