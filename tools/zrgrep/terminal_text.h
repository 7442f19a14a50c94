#pragma once
// Text made harmless for a terminal. Stored names, archive paths and line
// texts come from archives anyone can write: printed raw, an ESC sequence in
// them could retitle the window, hide lines or answer a terminal query, and a
// line feed could forge an output line.

#include <string>
#include <string_view>

namespace zr::tools {

enum class LineFeeds { Escape, Keep };

// Every byte of a control character - C0 but the tab, DEL, and C1 (U+0080 to
// U+009F, written as its two UTF-8 bytes) - becomes "\xNN" (two lower-case
// hex digits), so the true bytes of a name can still be read off. Bytes that
// are not UTF-8 stay as they are (a Shift_JIS name keeps its bytes). Line
// feeds are kept only when asked, for messages of several lines.
std::string TerminalSafe(std::string_view text, LineFeeds lineFeeds = LineFeeds::Escape);

}  // namespace zr::tools
