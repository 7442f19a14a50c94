#pragma once
// Registry key paths: backslash-separated names, compared without case.
// A canonical path has no leading, trailing or doubled separators.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zr::platform {

// Joins base and relative with one separator; either may be empty.
std::string JoinKeyPath(std::string_view base, std::string_view relative);

// Strips leading and trailing separators; nullopt when a component is empty
// (a doubled separator) or longer than the registry allows (255 bytes).
std::optional<std::string> CanonicalKeyPath(std::string_view path);

// The key used for look-ups: the upper-cased path.
std::string FoldKeyName(std::string_view name);

// The last component of a canonical path.
std::string LastKeyComponent(std::string_view path);

}  // namespace zr::platform
