#pragma once
// Opening a text file for the scans: read-only, and a folder is refused.

#include <string>

namespace zr::regex {

// Returns the descriptor; throws EFileNotFound with the system's message.
int OpenTextFileForReading(const std::string &fileName);

}  // namespace zr::regex
