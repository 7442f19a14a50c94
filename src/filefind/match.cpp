#include "filefind/match.h"

#include "platform/wildcard.h"
#include "platform/mbchar.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace zr {

namespace {
struct FileCloser {
    void operator()(std::FILE *f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

std::string_view WithoutCarriageReturn(std::string_view line)
{
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line;
}

[[noreturn]] void ThrowFileError(const std::string &fileName, int error)
{
    throw EMatchFile(fileName + ": " + std::strerror(error), error);
}
}  // namespace

std::string UpperCp932Ascii(std::string_view text)
{
    std::string out(text);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto c = static_cast<unsigned char>(out[i]);
        if (platform::IsCp932LeadByte(c))
            ++i;
        else if (c >= 'a' && c <= 'z')
            out[i] = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

TMatch::TMatch() { splitter_.BreakString = ";"; }

void TMatch::SetPattern(std::string_view pattern) { storedPattern_ = "*" + std::string(pattern) + "*"; }

std::string TMatch::Pattern() const
{
    if (storedPattern_.size() < 2)
        return {};
    return storedPattern_.substr(1, storedPattern_.size() - 2);
}

void TMatch::SetSource(std::string_view source)
{
    if (!SourceIsFile) {
        sourceText_ = source;
        return;
    }
    splitter_.BaseString = source;
    splitter_.Split();
    files_ = splitter_.StringList();
}

std::string TMatch::Source() const
{
    if (!SourceIsFile)
        return sourceText_;
    TBrkApart joiner;
    joiner.BreakString = ";";
    joiner.SetStringList(files_);
    joiner.Join();
    return joiner.BaseString;
}

bool TMatch::Execute()
{
    if (!CaseSensitive)
        storedPattern_ = UpperCp932Ascii(storedPattern_);
    if (!SourceIsFile)
        return LineMatches(sourceText_);
    for (const std::string &file : files_) {
        if (AnyLineMatches(file))
            return true;
    }
    return false;
}

bool TMatch::LineMatches(std::string_view line) const
{
    if (CaseSensitive)
        return platform::WildcardMatch(line, storedPattern_);
    return platform::WildcardMatch(UpperCp932Ascii(line), storedPattern_);
}

bool TMatch::AnyLineMatches(const std::string &fileName) const
{
    FilePtr file(std::fopen(fileName.c_str(), "rbe"));
    if (!file)
        ThrowFileError(fileName, errno);
    std::string line;
    char buf[65536];
    for (;;) {
        const std::size_t n = std::fread(buf, 1, sizeof buf, file.get());
        if (n == 0)
            break;
        std::string_view chunk(buf, n);
        for (std::size_t nl = chunk.find('\n'); nl != std::string_view::npos; nl = chunk.find('\n')) {
            line.append(chunk.substr(0, nl));
            if (LineMatches(WithoutCarriageReturn(line)))
                return true;
            line.clear();
            chunk.remove_prefix(nl + 1);
        }
        line.append(chunk);
    }
    if (std::ferror(file.get()))
        ThrowFileError(fileName, errno ? errno : EIO);
    return !line.empty() && LineMatches(WithoutCarriageReturn(line));
}

}  // namespace zr
