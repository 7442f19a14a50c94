#pragma once
// The command line that opens an extracted stored file in the text viewer:
// the desktop's default opener, or the configured program with the line jump
// it understands.

#include <string>

namespace zr {

// "Archive\Viewer\Text": "Viewer" = 1 selects "Program".
struct TViewerSettings {
    bool useProgram = false;
    std::string program;

    static TViewerSettings FromRegistry();
    void Write() const;
};

// How a viewer is told the line to open at.
enum class TLineJump {
    ljNone,      // unknown program, or the default opener
    ljHidemaru,  // "/j<N>" before the file
    ljPlus,      // "+N" before the file (vi family, emacs, nano, micro, gedit, ...)
    ljLine,      // "--line N" before the file (kate, mousepad)
    ljGoto,      // "-g file:N" (VS Code)
};

// By the program's file name: "hidemaru.exe" in any letter case, and the
// usual names of Linux editors.
TLineJump LineJumpOf(const std::string &program);

// The desktop's default opener, used when no program is configured.
inline constexpr const char *kDefaultViewer = "xdg-open";

// The program's name quoted when it holds a blank, then the jump (when
// lineNo > 0) and the file as one argument each, quoted so that any file name
// reaches the viewer as one argument.
std::string ViewerCommandLine(const std::string &program, const std::string &file, int lineNo);

// An Office or PDF document opens with the desktop's default opener, whatever
// text viewer is configured, and without a line jump.
inline std::string DocumentViewerCommandLine(const std::string &file)
{
    return ViewerCommandLine(kDefaultViewer, file, 0);
}

// The viewer the settings select: the program, or the default opener.
std::string ViewerProgram(const TViewerSettings &settings);

}  // namespace zr
