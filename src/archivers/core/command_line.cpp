#include "archivers/core/command_line.h"

#include <fstream>
#include <sstream>

namespace zr::archivers {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

std::vector<CommandToken> TokenizeCommandLine(std::string_view line)
{
    std::vector<CommandToken> tokens;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && IsBlank(line[i]))
            ++i;
        if (i >= line.size())
            break;
        CommandToken token;
        bool inQuotes = false;
        for (; i < line.size(); ++i) {
            const char c = line[i];
            if (inQuotes) {
                if (c != '"') {
                    token.text += c;
                } else if (i + 1 < line.size() && line[i + 1] == '"') {
                    token.text += '"';
                    ++i;
                } else {
                    inQuotes = false;
                }
            } else if (c == '"') {
                inQuotes = true;
                token.quoted = true;
            } else if (IsBlank(c)) {
                break;
            } else {
                token.text += c;
            }
        }
        tokens.push_back(std::move(token));
    }
    return tokens;
}

std::string UnquoteResponseLine(std::string_view line)
{
    while (!line.empty() && IsBlank(line.back()))
        line.remove_suffix(1);
    while (!line.empty() && IsBlank(line.front()))
        line.remove_prefix(1);
    if (line.size() < 2 || line.front() != '"' || line.back() != '"')
        return std::string(line);
    std::string out;
    line = line.substr(1, line.size() - 2);
    for (std::size_t i = 0; i < line.size(); ++i) {
        out += line[i];
        if (line[i] == '"' && i + 1 < line.size() && line[i + 1] == '"')
            ++i;
    }
    return out;
}

std::optional<std::vector<std::string>> ReadResponseFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::vector<std::string> names;
    std::string line;
    while (std::getline(in, line)) {
        std::string name = UnquoteResponseLine(line);
        if (!name.empty())
            names.push_back(std::move(name));
    }
    if (in.bad())
        return std::nullopt;
    return names;
}

}  // namespace zr::archivers
