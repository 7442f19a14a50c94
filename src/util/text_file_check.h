#pragma once

#include <string>
#include <string_view>

namespace zr {

// True when the first 50 bytes of the file read as text: CP932 (printable
// ASCII, half-width kana, tab, LF, CR and double-byte characters) or UTF-8
// whose single bytes are printable, tab, LF or CR. A character cut by the
// 50-byte limit is accepted. False for a missing, unreadable or empty file.
bool IsTextFile(const std::string &path);

// The same tests on bytes already read.
bool LooksLikeSjisText(std::string_view head);
bool LooksLikeUtf8Text(std::string_view head);

}  // namespace zr
