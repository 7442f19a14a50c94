#pragma once
// TIniFile: profile-file access by file name. Every call reads the file
// afresh; every write rewrites it at once through a temporary file and a
// rename, so a failed write leaves the old file whole. Files are UTF-8; a
// file that is not valid UTF-8 is read as CP932 (and written back as UTF-8).

#include "platform/profile_document.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zr::platform {

// Decodes profile-file bytes: a UTF-8 byte-order mark is dropped, text that is
// not valid UTF-8 is taken as CP932.
std::string DecodeProfileText(std::string_view bytes);

// Whole decimal, "$hex" or "0xhex" integer, else defaultValue.
int ProfileInteger(std::string_view text, int defaultValue);

// One read of a whole profile file, for callers that take many values at once.
struct ProfileFileLoad {
    enum class Status { Ok, Unreadable, TooLarge };
    Status status = Status::Unreadable;
    ProfileDocument document;
};
// A file larger than maxBytes is refused before it is read.
ProfileFileLoad LoadProfileFile(const std::string &path, std::uint64_t maxBytes);

class TIniFile {
public:
    explicit TIniFile(std::string fileName);
    const std::string &FileName() const { return fileName_; }

    std::string ReadString(std::string_view section, std::string_view ident,
                           std::string_view defaultValue) const;
    int ReadInteger(std::string_view section, std::string_view ident, int defaultValue) const;
    bool ReadBool(std::string_view section, std::string_view ident, bool defaultValue) const;
    bool SectionExists(std::string_view section) const;
    bool ValueExists(std::string_view section, std::string_view ident) const;
    std::vector<std::string> ReadSection(std::string_view section) const;  // key names
    std::vector<std::string> ReadSections() const;

    // Throw EIniFileException when the file cannot be written.
    void WriteString(std::string_view section, std::string_view ident, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view ident, int value);
    void WriteBool(std::string_view section, std::string_view ident, bool value);  // "1" / "0"
    void DeleteKey(std::string_view section, std::string_view ident);
    void EraseSection(std::string_view section);

private:
    ProfileDocument Load() const;
    ProfileDocument LoadForChange() const;
    void Save(const ProfileDocument &document) const;

    std::string fileName_;
};

}  // namespace zr::platform
