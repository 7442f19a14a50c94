// The libraries' command-line tokenizer, response-file reader and every
// dialect's command parser over arbitrary bytes. Tokens quoted back and
// tokenized again come out the same; a parse either fails with its error
// code or names an archive.
//
// Input: one dialect byte, the command line up to the first NUL, then the
// content of the response file "resp.txt" (the command line may name it).
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "archivers/archiver_api.h"
#include "archivers/core/command_dialects.h"
#include "archivers/core/command_line.h"
#include "fuzz_scratch.h"

using namespace zr::archivers;

namespace {

std::string Quote(const std::string &text)
{
    std::string quoted = "\"";
    for (char c : text) {
        quoted += c;
        if (c == '"')
            quoted += '"';
    }
    return quoted + "\"";
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // Relative names in the command line ("@resp.txt") resolve in the scratch folder.
    if (::chdir(zr::fuzz::ScratchRoot().c_str()) != 0)
        __builtin_trap();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1 || size > 4096)
        return 0;
    static const CommandDialect *const dialects[] = {&LhaDialect(),     &CabDialect(), &TarDialect(),
                                                     &ArjDialect(),     &RarDialect(), &UnzipDialect(),
                                                     &SevenZipDialect()};
    const CommandDialect &dialect = *dialects[data[0] % 7];
    const std::string_view rest(reinterpret_cast<const char *>(data) + 1, size - 1);
    const std::size_t nul = rest.find('\0');
    const std::string_view line = rest.substr(0, nul);
    zr::fuzz::WriteScratchFile("resp.txt", nul == std::string_view::npos ? "" : rest.substr(nul + 1));

    const std::vector<CommandToken> tokens = TokenizeCommandLine(line);
    std::string requoted;
    for (const CommandToken &token : tokens) {
        if (!token.quoted)
            for (char c : token.text)
                if (IsBlank(c) || c == '"')
                    __builtin_trap();  // an unquoted token ends at a blank and drops quotes
        requoted += Quote(token.text) + " ";
    }
    const std::vector<CommandToken> again = TokenizeCommandLine(requoted);
    if (again.size() != tokens.size())
        __builtin_trap();
    for (std::size_t i = 0; i < tokens.size(); ++i)
        if (again[i].text != tokens[i].text)
            __builtin_trap();

    const ParsedCommand parsed = ParseExtractCommand(line, dialect);
    if (parsed.error == ZR_ARC_OK && parsed.request.archive.empty())
        __builtin_trap();
    if (parsed.error != ZR_ARC_OK && parsed.error != ZR_ARC_E_COMMAND &&
        parsed.error != ZR_ARC_E_RESPONSE_FILE)
        __builtin_trap();
    if (auto names = ReadResponseFile("resp.txt"))
        for (const std::string &name : *names)
            if (name.empty())
                __builtin_trap();
    return 0;
}
