#pragma once
// Where a message box goes: centred on the screen, or centred over the
// request's rectangle (clamped to the screen), forced edges applied, and
// kept clear of the panel when the request asks for it.

#include "util/message_box.h"

namespace zr {

Rect MessageBoxRect(const MessageBoxRequest &request, Size box, const Rect &screen, const Rect &available);

}  // namespace zr
