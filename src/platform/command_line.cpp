#include "platform/command_line.h"

namespace zr::platform {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

void SkipBlanks(std::string_view line, std::size_t &pos)
{
    while (pos < line.size() && IsBlank(line[pos]))
        ++pos;
}

std::string ProgramName(std::string_view line, std::size_t &pos)
{
    std::string name;
    bool quoted = false;
    for (; pos < line.size(); ++pos) {
        const char c = line[pos];
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && IsBlank(c))
            break;
        else
            name += c;
    }
    return name;
}

std::string Argument(std::string_view line, std::size_t &pos)
{
    std::string arg;
    bool quoted = false;
    while (pos < line.size()) {
        const char c = line[pos];
        if (c == '\\') {
            std::size_t slashes = 0;
            while (pos < line.size() && line[pos] == '\\')
                ++slashes, ++pos;
            if (pos < line.size() && line[pos] == '"') {
                arg.append(slashes / 2, '\\');
                if (slashes % 2 == 1) {
                    arg += '"';
                    ++pos;
                }
            } else {
                arg.append(slashes, '\\');
            }
            continue;
        }
        if (c == '"') {
            if (quoted && pos + 1 < line.size() && line[pos + 1] == '"') {
                arg += '"';
                pos += 2;
                continue;
            }
            quoted = !quoted;
            ++pos;
            continue;
        }
        if (!quoted && IsBlank(c))
            break;
        arg += c;
        ++pos;
    }
    return arg;
}

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view line)
{
    std::vector<std::string> args;
    std::size_t pos = 0;
    SkipBlanks(line, pos);
    if (pos >= line.size())
        return args;
    args.push_back(ProgramName(line, pos));
    for (SkipBlanks(line, pos); pos < line.size(); SkipBlanks(line, pos))
        args.push_back(Argument(line, pos));
    return args;
}

std::string QuoteCommandLineArgument(std::string_view argument)
{
    if (!argument.empty() && argument.find_first_of(" \t\n\r\"") == std::string_view::npos)
        return std::string(argument);
    std::string out = "\"";
    std::size_t slashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++slashes;
            continue;
        }
        // Backslashes before a quote are doubled and the quote escaped.
        out.append(c == '"' ? slashes * 2 + 1 : slashes, '\\');
        slashes = 0;
        out += c;
    }
    out.append(slashes * 2, '\\');
    out += '"';
    return out;
}

}  // namespace zr::platform
