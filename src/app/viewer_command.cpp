#include "app/viewer_command.h"

#include "platform/command_line.h"
#include "util/path_names.h"
#include "util/settings_store.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>

namespace zr {

namespace {

constexpr const char *kViewerSection = "Archive\\Viewer\\Text";

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string Quoted(const std::string &argument) { return platform::QuoteCommandLineArgument(argument); }

}  // namespace

TViewerSettings TViewerSettings::FromRegistry()
{
    TViewerSettings s;
    s.useProgram = ReadSettingInteger(kViewerSection, "Viewer", 0) == 1;
    s.program = ReadSettingString(kViewerSection, "Program", "");
    return s;
}

void TViewerSettings::Write() const
{
    WriteSettingInteger(kViewerSection, "Viewer", useProgram ? 1 : 0);
    WriteSettingString(kViewerSection, "Program", program);
}

TLineJump LineJumpOf(const std::string &program)
{
    const std::string name = Lower(FileNamePart(program));
    if (name == "hidemaru.exe")
        return TLineJump::ljHidemaru;
    static constexpr std::array<std::string_view, 8> kPlus = {"vim",  "nvim",  "vi",    "emacs",
                                                              "nano", "micro", "gedit", "gnome-text-editor"};
    if (std::find(kPlus.begin(), kPlus.end(), name) != kPlus.end())
        return TLineJump::ljPlus;
    if (name == "kate" || name == "mousepad")
        return TLineJump::ljLine;
    if (name == "code")
        return TLineJump::ljGoto;
    return TLineJump::ljNone;
}

std::string ViewerCommandLine(const std::string &program, const std::string &file, int lineNo)
{
    const std::string head = QuoteIfSpaced(program) + " ";
    const std::string line = std::to_string(lineNo);
    switch (lineNo > 0 ? LineJumpOf(program) : TLineJump::ljNone) {
    case TLineJump::ljHidemaru:
        return head + "/j" + line + " " + Quoted(file);
    case TLineJump::ljPlus:
        return head + "+" + line + " " + Quoted(file);
    case TLineJump::ljLine:
        return head + "--line " + line + " " + Quoted(file);
    case TLineJump::ljGoto:
        return head + "-g " + Quoted(file + ":" + line);
    case TLineJump::ljNone:
        break;
    }
    return head + Quoted(file);
}

std::string ViewerProgram(const TViewerSettings &settings)
{
    if (settings.useProgram && !settings.program.empty())
        return settings.program;
    return kDefaultViewer;
}

}  // namespace zr
