#pragma once
// Checks of names and folders typed by the user, with a message on failure.

#include "util/path_check_ui.h"

#include <string>

class QWidget;

namespace zr {

// The eleven characters a file name may not hold, in message order.
inline constexpr const char *kForbiddenNameChars = "\\/:,;*?\"<>|";

// False, after an error message, when name holds a forbidden character.
bool CheckFileNameChars(QWidget *owner, const std::string &name, PathCheckUi &ui = MessageBoxPathCheckUi());

// True when every separator-terminated element of path names an existing
// folder with a valid name; with show, a failure is explained to the user.
bool CheckFolderPath(bool show, QWidget *owner, const std::string &path,
                     PathCheckUi &ui = MessageBoxPathCheckUi());

// True when a file can be created in the folder (the path itself when it is a
// folder, else its folder part). With show, a failure offers Retry.
bool CheckFolderWritable(bool show, QWidget *owner, const std::string &path,
                         PathCheckUi &ui = MessageBoxPathCheckUi());

}  // namespace zr
