#pragma once
// Replaces a file's whole contents through a temporary file in the same
// folder and a rename, so a failed write (full disk, no permission, a folder
// in the file's place) leaves the old file whole. A symbolic link is kept and
// its target replaced; a new file gets 0666 less the umask, an existing one
// keeps its mode.

#include <stdexcept>
#include <string>
#include <string_view>

namespace zr::platform {

class EFileWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Throws EFileWriteError ("<path> に書き込めません: <reason>").
void ReplaceFileContents(const std::string &path, std::string_view bytes);

// Writes all of bytes to fd, again after a signal cut a write short; false
// on an error (errno tells which).
bool WriteAllBytes(int fd, std::string_view bytes);

}  // namespace zr::platform
