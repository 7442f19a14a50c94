#pragma once
// The program's message boxes. The decisions (caption, beep, placement) are
// made here in plain code; a MessageBoxPresenter shows the box. The default
// presenter uses QMessageBox; tests install their own.

#include "util/message_types.h"
#include "util/placement.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

class QWidget;

namespace zr {

// Everything a presenter needs to build, place and run one box.
struct MessageBoxRequest {
    QWidget *owner = nullptr;  // parent of the box, may be none
    std::string text;
    std::string caption;
    TMsgDlgType type = mtCustom;
    TMsgDlgButtons buttons = mbOKOnly;
    int helpContext = 0;
    // Rectangle the box is centred over (PlaceNear kind 2 rules); none keeps it centred on the screen.
    std::optional<Rect> centreOver;
    int x = -1;  // forced left edge when >= 0
    int y = -1;  // forced top edge when >= 0
    bool keepClearOfTaskbar = true;
};

class MessageBoxPresenter {
public:
    virtual ~MessageBoxPresenter() = default;
    virtual void Beep() = 0;                                 // the exclamation sound
    virtual int Show(const MessageBoxRequest &request) = 0;  // the modal result
};

// Installs presenter for every later box; nullptr restores the QMessageBox one.
void SetMessageBoxPresenter(std::shared_ptr<MessageBoxPresenter> presenter);
std::shared_ptr<MessageBoxPresenter> CurrentMessageBoxPresenter();

// Installs a presenter for one scope (tests).
class ScopedMessageBoxPresenter {
public:
    explicit ScopedMessageBoxPresenter(std::shared_ptr<MessageBoxPresenter> presenter);
    ~ScopedMessageBoxPresenter();
    ScopedMessageBoxPresenter(const ScopedMessageBoxPresenter &) = delete;
    ScopedMessageBoxPresenter &operator=(const ScopedMessageBoxPresenter &) = delete;

private:
    std::shared_ptr<MessageBoxPresenter> saved_;
};

// Error boxes beep unless "Setting"/"BeepSound" is true; other types never beep.
bool MessageBoxShouldBeep(TMsgDlgType type, bool beepSoundSetting);

int ShowMessageBox(QWidget *owner, std::string_view text, TMsgDlgType type, TMsgDlgButtons buttons,
                   int helpContext = 0);
int ShowMessageBoxAt(QWidget *owner, std::string_view text, TMsgDlgType type, TMsgDlgButtons buttons,
                     int helpContext, int x, int y);
int ShowMessageBoxOverWindow(QWidget *window, std::string_view text, TMsgDlgType type, TMsgDlgButtons buttons,
                             int helpContext = 0);
int ShowPlainMessage(QWidget *owner, std::string_view text);
void ShowFileMissing(QWidget *owner, std::string_view path);
void ShowFolderMissing(QWidget *owner, std::string_view path);
int ShowSystemError(QWidget *owner, int errorCode, std::string_view extraText, TMsgDlgButtons buttons);
void ShowNetworkError(QWidget *owner, int errorCode);

}  // namespace zr
