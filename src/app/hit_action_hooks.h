#pragma once
// What the window's archive and view actions ask of the outside world, so
// tests and other front ends can replace it.

#include "app/copy_move_action.h"

#include <functional>
#include <optional>
#include <string>

class QWidget;

namespace zr {

struct THitActionHooks {
    // The copy/move folder picker: caption and two information lines -> folder.
    std::function<std::optional<std::string>(QWidget *, const TFolderPickerTexts &)> pickCopyFolder;
    // The worker program that extracts a viewed file; empty: "zrworker"
    // beside the program, or this process when there is none.
    std::string viewWorkerProgram;
};

// A directory picker with the caption and the two lines below its file list.
std::optional<std::string> DefaultCopyFolderPicker(QWidget *owner, const TFolderPickerTexts &texts);

}  // namespace zr
