#pragma once
// The text of a profile (INI) file with the Windows profile rules: section
// and key names compared without case, the first section and key of a name
// win, names and values trimmed, one pair of enclosing double quotes removed
// on reading, ";" lines are comments. Edits keep every other line as it was.

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zr::platform {

class EIniFileException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class ProfileDocument {
public:
    ProfileDocument() = default;
    explicit ProfileDocument(std::string_view text);  // UTF-8 text, LF or CR LF lines

    std::string Text() const;

    std::optional<std::string> Read(std::string_view section, std::string_view key) const;
    bool SectionExists(std::string_view section) const;
    std::vector<std::string> SectionNames() const;
    std::vector<std::string> KeyNames(std::string_view section) const;

    // Throws EIniFileException for names or values that a profile file cannot
    // hold (line breaks, "=" or a leading "[" or ";" in a key, "]" in a section).
    void Write(std::string_view section, std::string_view key, std::string_view value);
    bool DeleteKey(std::string_view section, std::string_view key);
    bool EraseSection(std::string_view section);

private:
    struct Span {
        std::size_t header;  // index of the "[section]" line
        std::size_t end;     // one past the section's last line
    };
    std::optional<Span> FindSection(std::string_view section) const;
    std::optional<std::size_t> FindKey(const Span &span, std::string_view key) const;

    std::vector<std::string> lines_;
    std::string lineEnd_ = "\n";
};

}  // namespace zr::platform
