#include "util/path_check_ui.h"

#include "util/message_box.h"

namespace zr {

namespace {
class MessageBoxUi final : public PathCheckUi {
public:
    void ShowError(QWidget *owner, const std::string &text) override
    {
        ShowMessageBox(owner, text, mtError, mbOKOnly);
    }

    bool AskRetryAfterSystemError(QWidget *owner, int errorCode, const std::string &extraText) override
    {
        return ShowSystemError(owner, errorCode, extraText, mbRetryCancel) == mrRetry;
    }
};
}  // namespace

PathCheckUi &MessageBoxPathCheckUi()
{
    static MessageBoxUi ui;
    return ui;
}

}  // namespace zr
