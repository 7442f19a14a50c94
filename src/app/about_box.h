#pragma once
// The about box: the product's name and version, shown modally over the window.

class QWidget;

namespace zr {

inline constexpr const char *kVersionText = "Version 1.10";

void ShowAboutBox(QWidget *owner);

}  // namespace zr
