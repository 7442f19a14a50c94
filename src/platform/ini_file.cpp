#include "platform/ini_file.h"

#include "platform/codepage.h"

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

// The file a write should replace: the target of a symbolic link, so the
// link itself survives.
std::string WriteTarget(const std::string &path)
{
    char *resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved)
        return path;
    std::string target(resolved);
    std::free(resolved);
    return target;
}

bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// The mode a newly created file gets: 0666 less the process's umask, read
// without changing it (umask() would race with other threads).
mode_t NewFileMode()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("Umask:"))
            return 0666 & ~static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
    return 0600;
}

void ReplaceFile(const std::string &path, std::string_view bytes)
{
    const std::string target = WriteTarget(path);
    std::string temp = target + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        throw EIniFileException(path + " に書き込めません: " + std::strerror(errno));
    struct stat old {};
    const mode_t mode = ::stat(target.c_str(), &old) == 0 ? (old.st_mode & 07777) : NewFileMode();
    const bool written = ::fchmod(fd, mode) == 0 && WriteAll(fd, bytes) && ::fsync(fd) == 0;
    const int savedErrno = errno;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || std::rename(temp.c_str(), target.c_str()) != 0) {
        const int error = written && closed ? errno : savedErrno;
        ::unlink(temp.c_str());
        throw EIniFileException(path + " に書き込めません: " + std::strerror(error));
    }
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

void TIniFile::Save(const ProfileDocument &document) const { ReplaceFile(fileName_, document.Text()); }

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
