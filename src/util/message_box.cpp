#include "util/message_box.h"

#include "platform/registry.h"
#include "util/message_presenter_qt.h"
#include "util/message_texts.h"
#include "util/placement_qt.h"
#include "util/settings_store.h"

#include <QGuiApplication>
#include <QWidget>

#include <mutex>

namespace zr {

namespace {

std::mutex g_presenterMutex;
std::shared_ptr<MessageBoxPresenter> g_presenter;

std::string ApplicationTitle()
{
    const QString title = QGuiApplication::applicationDisplayName();
    return title.isEmpty() ? std::string("ZuRivo") : title.toStdString();
}

// A stored value of the wrong type must not keep an error from being shown.
bool BeepSoundSetting()
{
    try {
        return ReadSettingBool("Setting", "BeepSound", false);
    } catch (const platform::ERegistryException &) {
        return false;
    }
}

MessageBoxRequest MakeRequest(QWidget *owner, std::string_view text, TMsgDlgType type, TMsgDlgButtons buttons,
                              int helpContext)
{
    MessageBoxRequest request;
    request.owner = owner;
    request.text = std::string(text);
    request.caption = DialogCaption(type, ApplicationTitle());
    request.type = type;
    request.buttons = buttons;
    request.helpContext = helpContext;
    return request;
}

void BeepIfRuleSaysSo(MessageBoxPresenter &presenter, TMsgDlgType type)
{
    if (type == mtError && MessageBoxShouldBeep(type, BeepSoundSetting()))
        presenter.Beep();
}

}  // namespace

void SetMessageBoxPresenter(std::shared_ptr<MessageBoxPresenter> presenter)
{
    std::lock_guard lock(g_presenterMutex);
    g_presenter = std::move(presenter);
}

std::shared_ptr<MessageBoxPresenter> CurrentMessageBoxPresenter()
{
    std::lock_guard lock(g_presenterMutex);
    if (!g_presenter)
        g_presenter = MakeQtMessageBoxPresenter();
    return g_presenter;
}

ScopedMessageBoxPresenter::ScopedMessageBoxPresenter(std::shared_ptr<MessageBoxPresenter> presenter)
    : saved_(CurrentMessageBoxPresenter())
{
    SetMessageBoxPresenter(std::move(presenter));
}

ScopedMessageBoxPresenter::~ScopedMessageBoxPresenter() { SetMessageBoxPresenter(std::move(saved_)); }

bool MessageBoxShouldBeep(TMsgDlgType type, bool beepSoundSetting)
{
    return type == mtError && !beepSoundSetting;
}

int ShowMessageBox(QWidget *owner, std::string_view text, TMsgDlgType type, TMsgDlgButtons buttons,
                   int helpContext)
{
    BeepIfRuleSaysSo(*CurrentMessageBoxPresenter(), type);
    return ShowMessageBoxAt(owner, text, type, buttons, helpContext, -1, -1);
}

int ShowMessageBoxAt(QWidget *owner, std::string_view text, TMsgDlgType type, TMsgDlgButtons buttons,
                     int helpContext, int x, int y)
{
    MessageBoxRequest request = MakeRequest(owner, text, type, buttons, helpContext);
    request.centreOver = FrameRect(owner);
    request.x = x;
    request.y = y;
    return CurrentMessageBoxPresenter()->Show(request);
}

int ShowMessageBoxOverWindow(QWidget *window, std::string_view text, TMsgDlgType type, TMsgDlgButtons buttons,
                             int helpContext)
{
    std::shared_ptr<MessageBoxPresenter> presenter = CurrentMessageBoxPresenter();
    BeepIfRuleSaysSo(*presenter, type);
    MessageBoxRequest request = MakeRequest(window, text, type, buttons, helpContext);
    request.centreOver = FrameRect(window);
    request.keepClearOfTaskbar = false;
    return presenter->Show(request);
}

int ShowPlainMessage(QWidget *owner, std::string_view text)
{
    return ShowMessageBoxAt(owner, text, mtCustom, mbOKOnly, 0, -1, -1);
}

void ShowFileMissing(QWidget *owner, std::string_view path)
{
    ShowMessageBox(owner, FileMissingText(path), mtError, mbOKOnly);
}

void ShowFolderMissing(QWidget *owner, std::string_view path)
{
    ShowMessageBox(owner, FolderMissingText(path), mtError, mbOKOnly);
}

int ShowSystemError(QWidget *owner, int errorCode, std::string_view extraText, TMsgDlgButtons buttons)
{
    CurrentMessageBoxPresenter()->Beep();
    return ShowMessageBox(owner, SystemErrorBoxText(errorCode, extraText), mtError, buttons, 0);
}

void ShowNetworkError(QWidget *owner, int errorCode)
{
    const std::string text = NetworkErrorText(errorCode);
    if (!text.empty())
        ShowPlainMessage(owner, text);
}

}  // namespace zr
