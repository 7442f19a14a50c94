#pragma once
// Shows a TFileDialogRequest as a Qt file dialog and remembers the chosen
// file's folder in the dialogs' folder history.

#include "app/file_dialog_request.h"

#include <optional>
#include <string>

class QWidget;

namespace zr {

// The chosen file (absolute), or none on Cancel.
std::optional<std::string> RunFileDialog(QWidget *owner, const TFileDialogRequest &request);

}  // namespace zr
