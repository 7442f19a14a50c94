#pragma once
// Images of the main window's actions: the desktop icon theme's icon when it
// has one, otherwise a glyph drawn here, so a bare system still shows icons.

#include <QIcon>

namespace zr {

// The menu image list's numbers.
enum TActionImage {
    aiNewGrep = 0,
    aiGrepStart = 1,
    aiGrepStop = 2,
    aiSaveAs = 3,
    aiOpenParam = 4,
    aiSaveParam = 5,
    aiFin = 6,
    aiView = 7,
    aiOpenZiZiv = 8,
    aiFileCopy = 9,
    aiAllSelect = 10,
    aiTopic = 11,
    aiClose = 12,
    aiCount = 13,
};

// The theme name tried first for an image.
const char *ActionIconThemeName(TActionImage image);
// The drawn glyph, never null.
QIcon FallbackActionIcon(TActionImage image);
QIcon ActionIcon(TActionImage image);

// Without a desktop session Qt has no theme name; point it at an installed
// theme so that the theme icons are found at all.
void EnsureIconTheme();

}  // namespace zr
