#pragma once
// Pure string helpers for paths and file names. They look for separators on
// character boundaries only (see dbcs.h). Callers pass the platform separator
// '/' (kPathSeparator); the trailing-separator helpers accept '/' and '\\',
// since stored names inside archives use either.

#include <memory>
#include <string>
#include <string_view>

namespace zr {

inline constexpr char kPathSeparator = '/';

std::string AppendPathSeparator(std::string_view path, char separator = kPathSeparator);
std::string StripPathSeparator(std::string_view path);
bool EndsWithPathSeparator(std::string_view path);

// A folder path without its trailing separator; the root stays "/".
std::string NormalizeFolderPath(std::string_view path, char separator = kPathSeparator);

// The text after the last '/' or '\\'; the whole string when there is none.
std::string FileNamePart(std::string_view path);

// The path in double quotes when it holds a blank and is not quoted yet.
std::string QuoteIfSpaced(std::string_view path);

// A network path: two leading backslashes. Linux has no network paths, and a
// leading "//" names the root, so with '/' this is always false.
bool IsUncPath(std::string_view path, char separator = kPathSeparator);

// Separators in the path (the leading pair of a network path not counted).
long CountSeparators(std::string_view path, char separator = kPathSeparator);

// The text between the (n-1)-th and the n-th separator (1-based). Text after
// the last separator is never an element; "/a/b" has element 1 "" (the root)
// and element 2 "a".
std::string PathElement(std::string_view path, long n, char separator = kPathSeparator);

// Key filter for name entry fields: sets c to '\0' when it cannot be part of
// a file name (or, with pathAllowed, of a path) and returns it.
char FilterFileNameChar(char &c, bool pathAllowed);

// A heap copy with a terminating zero, for C interfaces.
std::unique_ptr<char[]> NewCString(std::string_view text);

}  // namespace zr
