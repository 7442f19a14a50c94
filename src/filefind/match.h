#pragma once
// Tests a wildcard pattern as a substring of a text, or of any line of one or
// more text files.

#include "filefind/brkapart.h"

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zr {

// A listed file could not be opened or read; error is the errno value.
class EMatchFile : public std::runtime_error {
public:
    EMatchFile(const std::string &message, int error) : std::runtime_error(message), error_(error) {}
    int Error() const { return error_; }

private:
    int error_;
};

class TMatch {
public:
    TMatch();

    bool CaseSensitive = false;  // false: ASCII letters compare without case
    bool SourceIsFile = false;   // true: Source names ";"-separated text files

    // The pattern is kept as "*" + pattern + "*", so it matches anywhere.
    void SetPattern(std::string_view pattern);
    std::string Pattern() const;

    void SetSource(std::string_view source);
    std::string Source() const;
    // The files to search, taken as they are (names may hold ";").
    void SetSourceFiles(const std::vector<std::string> &files) { files_ = files; }

    // True when the pattern matches the source text, or a line of a listed
    // file (lines without their line break, CP932 text). Throws EMatchFile
    // when a listed file cannot be read.
    bool Execute();

private:
    bool AnyLineMatches(const std::string &fileName) const;
    bool LineMatches(std::string_view line) const;

    std::vector<std::string> files_;
    std::string sourceText_;
    std::string storedPattern_;
    TBrkApart splitter_;
};

// Upper-cases ASCII letters of CP932 text, leaving the second byte of every
// double-byte character alone.
std::string UpperCp932Ascii(std::string_view text);

}  // namespace zr
