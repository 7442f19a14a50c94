#pragma once
// The QMessageBox presenter behind the message helpers.

#include "util/message_box.h"

#include <memory>

namespace zr {

std::shared_ptr<MessageBoxPresenter> MakeQtMessageBoxPresenter();

}  // namespace zr
