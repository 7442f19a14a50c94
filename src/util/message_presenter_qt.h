#pragma once
// The QMessageBox presenter behind the message helpers.

#include "util/message_box.h"

#include <memory>

namespace zr {

std::shared_ptr<MessageBoxPresenter> MakeQtMessageBoxPresenter();

// What the presenter does without a widget application (a command-line
// tool): the message goes to stderr and the box counts as closed without a
// choice (Cancel, else No, else OK).
int ReportMessageWithoutWindow(const MessageBoxRequest &request);

}  // namespace zr
