#pragma once
// How the path checks talk to the user. The checks themselves are plain
// functions; tests give them a recording implementation.

#include <string>

class QWidget;

namespace zr {

class PathCheckUi {
public:
    virtual ~PathCheckUi() = default;
    // An error box with one OK button.
    virtual void ShowError(QWidget *owner, const std::string &text) = 0;
    // The system error box for errorCode with Retry and Cancel; true for Retry.
    virtual bool AskRetryAfterSystemError(QWidget *owner, int errorCode, const std::string &extraText) = 0;
};

// The application's message boxes.
PathCheckUi &MessageBoxPathCheckUi();

}  // namespace zr
