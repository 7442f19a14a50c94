#include "archivers/core/command_parser.h"

#include <sys/stat.h>

#include "archivers/archiver_api.h"
#include "archivers/core/command_line.h"

namespace zr::archivers {

namespace {

bool IsFolder(const std::string &path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool LooksLikeFolder(const std::string &token)
{
    return !token.empty() && (token.back() == '/' || token.back() == '\\' || IsFolder(token));
}

ParsedCommand Failure(int code, std::string message)
{
    ParsedCommand parsed;
    parsed.error = code;
    parsed.message = std::move(message);
    return parsed;
}

}  // namespace

ParsedCommand ParseExtractCommand(std::string_view commandLine, const CommandDialect &dialect)
{
    ParsedCommand parsed;
    ExtractRequest &request = parsed.request;
    request.overwrite = dialect.defaultOverwrite;
    bool haveCommand = dialect.commandWord == nullptr;
    bool haveArchive = false, destinationDone = false;
    for (const CommandToken &token : TokenizeCommandLine(commandLine)) {
        const std::string &text = token.text;
        if (text.empty())
            continue;
        // Switches may be quoted (a work folder with blanks) but never follow the archive quoted.
        if (text.front() == '-' && (!token.quoted || !haveArchive)) {
            if (dialect.applySwitch)
                dialect.applySwitch(text, request);
            continue;
        }
        if (!haveCommand) {
            if (!dialect.commandWord(text, request))
                return Failure(ZR_ARC_E_COMMAND, "Unknown command: " + text);
            haveCommand = true;
            continue;
        }
        if (!haveArchive) {
            request.archive = text;
            haveArchive = true;
            continue;
        }
        if (text.front() == dialect.responsePrefix) {
            const auto names = ReadResponseFile(text.substr(1));
            if (!names)
                return Failure(ZR_ARC_E_RESPONSE_FILE, "Cannot read the response file " + text.substr(1));
            request.names.insert(request.names.end(), names->begin(), names->end());
            destinationDone = true;
            continue;
        }
        if (!destinationDone) {
            destinationDone = true;
            if (LooksLikeFolder(text)) {
                request.destination = text;
                continue;
            }
        }
        request.names.push_back(text);
    }
    if (!haveCommand)
        return Failure(ZR_ARC_E_COMMAND, "No command given.");
    if (!haveArchive)
        return Failure(ZR_ARC_E_COMMAND, "No archive name given.");
    return parsed;
}

}  // namespace zr::archivers
