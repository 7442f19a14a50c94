#include "platform/ini_file.h"

#include "platform/codepage.h"
#include "platform/replace_file.h"

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

namespace zr::platform {

namespace {

bool ReadWholeFile(const std::string &path, std::string &bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), {});
    return true;
}

}  // namespace

std::string DecodeProfileText(std::string_view bytes)
{
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    if (IsValidUtf8(bytes))
        return std::string(bytes);
    ConversionResult converted = Cp932ToUtf8(bytes);
    return converted.ok ? converted.text : Cp932ToUtf8Lossy(bytes);
}

int ProfileInteger(std::string_view text, int defaultValue)
{
    int base = 10;
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.starts_with("$")) {
        base = 16;
        text.remove_prefix(1);
    } else if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    // from_chars takes a sign of its own: "--5" or "$-5" are not numbers.
    if (text.empty() || text.front() == '-')
        return defaultValue;
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc() || end != text.data() + text.size())
        return defaultValue;
    if (negative)
        value = -value;
    if (base == 16 && !negative && value > INT_MAX && value <= UINT_MAX)
        value -= 0x100000000LL;  // "$FFFFFFFF" is -1
    if (value < INT_MIN || value > INT_MAX)
        return defaultValue;
    return static_cast<int>(value);
}

ProfileFileLoad LoadProfileFile(const std::string &path, std::uint64_t maxBytes)
{
    ProfileFileLoad load;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return load;
    struct stat info {};
    std::string bytes;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return load;
    }
    if (static_cast<std::uint64_t>(info.st_size) > maxBytes) {
        ::close(fd);
        load.status = ProfileFileLoad::Status::TooLarge;
        return load;
    }
    // One byte more than allowed tells a file that grew meanwhile.
    bytes.resize(static_cast<std::size_t>(maxBytes) + 1);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n < 0) {
                ::close(fd);
                return load;
            }
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    if (done > maxBytes) {
        load.status = ProfileFileLoad::Status::TooLarge;
        return load;
    }
    bytes.resize(done);
    load.document = ProfileDocument(DecodeProfileText(bytes));
    load.status = ProfileFileLoad::Status::Ok;
    return load;
}

TIniFile::TIniFile(std::string fileName) : fileName_(std::move(fileName)) {}

ProfileDocument TIniFile::Load() const
{
    std::string bytes;
    if (!ReadWholeFile(fileName_, bytes))
        return ProfileDocument();
    return ProfileDocument(DecodeProfileText(bytes));
}

// For a change: a file that exists but cannot be read, or whose bytes cannot
// be decoded exactly, is refused rather than overwritten with less.
ProfileDocument TIniFile::LoadForChange() const
{
    std::string bytes;
    if (!ReadWholeFile(fileName_, bytes)) {
        if (::access(fileName_.c_str(), F_OK) == 0)
            throw EIniFileException(fileName_ + " を読み込めないため書き込めません");
        return ProfileDocument();
    }
    std::string_view text(bytes);
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    if (!IsValidUtf8(text) && !Cp932ToUtf8(text).ok)
        throw EIniFileException(fileName_ + " は UTF-8 でも CP932 でもないため書き込めません");
    return ProfileDocument(DecodeProfileText(bytes));
}

void TIniFile::Save(const ProfileDocument &document) const
{
    try {
        ReplaceFileContents(fileName_, document.Text());
    } catch (const EFileWriteError &e) {
        throw EIniFileException(e.what());
    }
}

std::string TIniFile::ReadString(std::string_view section, std::string_view ident,
                                 std::string_view defaultValue) const
{
    std::optional<std::string> value = Load().Read(section, ident);
    return value ? std::move(*value) : std::string(defaultValue);
}

int TIniFile::ReadInteger(std::string_view section, std::string_view ident, int defaultValue) const
{
    const std::optional<std::string> value = Load().Read(section, ident);
    return value ? ProfileInteger(*value, defaultValue) : defaultValue;
}

bool TIniFile::ReadBool(std::string_view section, std::string_view ident, bool defaultValue) const
{
    return ReadInteger(section, ident, defaultValue ? 1 : 0) != 0;
}

bool TIniFile::SectionExists(std::string_view section) const { return Load().SectionExists(section); }

bool TIniFile::ValueExists(std::string_view section, std::string_view ident) const
{
    return Load().Read(section, ident).has_value();
}

std::vector<std::string> TIniFile::ReadSection(std::string_view section) const
{
    return Load().KeyNames(section);
}

std::vector<std::string> TIniFile::ReadSections() const { return Load().SectionNames(); }

void TIniFile::WriteString(std::string_view section, std::string_view ident, std::string_view value)
{
    ProfileDocument document = LoadForChange();
    document.Write(section, ident, value);
    Save(document);
}

void TIniFile::WriteInteger(std::string_view section, std::string_view ident, int value)
{
    WriteString(section, ident, std::to_string(value));
}

void TIniFile::WriteBool(std::string_view section, std::string_view ident, bool value)
{
    WriteString(section, ident, value ? "1" : "0");
}

void TIniFile::DeleteKey(std::string_view section, std::string_view ident)
{
    ProfileDocument document = LoadForChange();
    if (document.DeleteKey(section, ident))
        Save(document);
}

void TIniFile::EraseSection(std::string_view section)
{
    ProfileDocument document = LoadForChange();
    if (document.EraseSection(section))
        Save(document);
}

}  // namespace zr::platform
