#include "platform/profile_document.h"

#include "platform/text_case.h"

namespace zr::platform {

namespace {

std::string_view Trim(std::string_view s)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

std::optional<std::string_view> SectionName(std::string_view line)
{
    line = Trim(line);
    if (line.empty() || line.front() != '[')
        return std::nullopt;
    line.remove_prefix(1);
    const std::size_t close = line.find(']');
    return Trim(close == std::string_view::npos ? line : line.substr(0, close));
}

// Key and raw value of a "key=value" line; nullopt for other lines.
std::optional<std::pair<std::string_view, std::string_view>> KeyValue(std::string_view line)
{
    const std::string_view trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '[')
        return std::nullopt;
    const std::size_t equals = trimmed.find('=');
    if (equals == std::string_view::npos)
        return std::nullopt;
    return std::make_pair(Trim(trimmed.substr(0, equals)), Trim(trimmed.substr(equals + 1)));
}

std::string Unquote(std::string_view value)
{
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    return std::string(value);
}

bool HasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

void CheckWritable(std::string_view section, std::string_view key, std::string_view value)
{
    const std::string_view k = Trim(key);
    if (HasLineBreak(section) || section.find(']') != std::string_view::npos || Trim(section).empty())
        throw EIniFileException("INI ファイルのセクション名に使えない文字があります: " +
                                std::string(section));
    if (HasLineBreak(key) || key.find('=') != std::string_view::npos || k.empty() || k.front() == ';' ||
        k.front() == '[')
        throw EIniFileException("INI ファイルのキー名に使えない文字があります: " + std::string(key));
    if (HasLineBreak(value))
        throw EIniFileException("INI ファイルの値に改行は書けません: " + std::string(key));
}

}  // namespace

ProfileDocument::ProfileDocument(std::string_view text)
{
    std::size_t start = 0;
    bool sawCrLf = false;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
            sawCrLf = true;
        }
        lines_.emplace_back(line);
        start = end + 1;
    }
    if (sawCrLf)
        lineEnd_ = "\r\n";
}

std::string ProfileDocument::Text() const
{
    std::string text;
    for (const std::string &line : lines_)
        text += line + lineEnd_;
    return text;
}

std::optional<ProfileDocument::Span> ProfileDocument::FindSection(std::string_view section) const
{
    const std::string_view wanted = Trim(section);
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const std::optional<std::string_view> name = SectionName(lines_[i]);
        if (!name || !SameTextLocale(*name, wanted))
            continue;
        std::size_t end = i + 1;
        while (end < lines_.size() && !SectionName(lines_[end]))
            ++end;
        return Span{i, end};
    }
    return std::nullopt;
}

std::optional<std::size_t> ProfileDocument::FindKey(const Span &span, std::string_view key) const
{
    const std::string_view wanted = Trim(key);
    for (std::size_t i = span.header + 1; i < span.end; ++i) {
        const auto pair = KeyValue(lines_[i]);
        if (pair && SameTextLocale(pair->first, wanted))
            return i;
    }
    return std::nullopt;
}

std::optional<std::string> ProfileDocument::Read(std::string_view section, std::string_view key) const
{
    const std::optional<Span> span = FindSection(section);
    if (!span)
        return std::nullopt;
    const std::optional<std::size_t> line = FindKey(*span, key);
    if (!line)
        return std::nullopt;
    return Unquote(KeyValue(lines_[*line])->second);
}

bool ProfileDocument::SectionExists(std::string_view section) const
{
    return FindSection(section).has_value();
}

std::vector<std::string> ProfileDocument::SectionNames() const
{
    std::vector<std::string> names;
    for (const std::string &line : lines_)
        if (const auto name = SectionName(line))
            names.emplace_back(*name);
    return names;
}

std::vector<std::string> ProfileDocument::KeyNames(std::string_view section) const
{
    std::vector<std::string> names;
    const std::optional<Span> span = FindSection(section);
    if (!span)
        return names;
    for (std::size_t i = span->header + 1; i < span->end; ++i)
        if (const auto pair = KeyValue(lines_[i]))
            names.emplace_back(pair->first);
    return names;
}

void ProfileDocument::Write(std::string_view section, std::string_view key, std::string_view value)
{
    CheckWritable(section, key, value);
    const std::string newLine = std::string(Trim(key)) + "=" + std::string(value);
    const std::optional<Span> span = FindSection(section);
    if (!span) {
        lines_.push_back("[" + std::string(Trim(section)) + "]");
        lines_.push_back(newLine);
        return;
    }
    if (const std::optional<std::size_t> line = FindKey(*span, key)) {
        lines_[*line] = std::string(KeyValue(lines_[*line])->first) + "=" + std::string(value);
        return;
    }
    // After the section's last non-blank line, so blank separators stay below it.
    std::size_t insertAt = span->end;
    while (insertAt > span->header + 1 && Trim(lines_[insertAt - 1]).empty())
        --insertAt;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), newLine);
}

bool ProfileDocument::DeleteKey(std::string_view section, std::string_view key)
{
    const std::optional<Span> span = FindSection(section);
    if (!span)
        return false;
    const std::optional<std::size_t> line = FindKey(*span, key);
    if (!line)
        return false;
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(*line));
    return true;
}

bool ProfileDocument::EraseSection(std::string_view section)
{
    const std::optional<Span> span = FindSection(section);
    if (!span)
        return false;
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(span->header),
                 lines_.begin() + static_cast<std::ptrdiff_t>(span->end));
    return true;
}

}  // namespace zr::platform
