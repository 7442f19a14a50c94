#pragma once
// Reads an extraction command: switches (each library knows its own and
// ignores the others), an optional command word, the archive, an optional
// destination folder, then names or a response file.

#include <string>
#include <string_view>

#include "archivers/core/extract_request.h"

namespace zr::archivers {

struct CommandDialect {
    char responsePrefix = '@';
    // Libraries whose first word is a command ("x", "e"): returns false for
    // a command they do not run. Null when the commands are switches.
    bool (*commandWord)(std::string_view word, ExtractRequest &request) = nullptr;
    void (*applySwitch)(std::string_view token, ExtractRequest &request) = nullptr;
    OverwritePolicy defaultOverwrite = OverwritePolicy::kAsk;
};

struct ParsedCommand {
    int error = 0;  // ZR_ARC_OK or ZR_ARC_E_COMMAND / ZR_ARC_E_RESPONSE_FILE
    std::string message;
    ExtractRequest request;
};

ParsedCommand ParseExtractCommand(std::string_view commandLine, const CommandDialect &dialect);

}  // namespace zr::archivers
