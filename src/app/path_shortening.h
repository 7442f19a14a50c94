#pragma once
// Fitting a long path into a label: middle elements give way to "..." so that
// the start of the path and its last elements stay readable.

#include <functional>
#include <string>

namespace zr {

using TextWidthFunction = std::function<int(const std::string &)>;

// The path itself when it fits in maxWidth. Otherwise its first element (the
// root for an absolute path) with its separator, then "..." + separator, then
// as many trailing elements as fit; at least the last element is kept, even
// when that is still too wide.
std::string ShortenPathMiddle(const std::string &path, char separator, int maxWidth,
                              const TextWidthFunction &width);

}  // namespace zr
