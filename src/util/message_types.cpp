#include "util/message_types.h"

#include <array>

namespace zr {

namespace {
constexpr int kButtonCount = 11;

constexpr std::array<const char *, kButtonCount> kButtonCaptions = {
    "はい(&Y)",         "いいえ(&N)",     "OK",         "キャンセル",
    "中止(&A)",         "再試行(&R)",     "無視(&I)",   "すべて(&A)",
    "すべていいえ(&O)", "すべてはい(&A)", "ヘルプ(&H)",
};

constexpr std::array<int, kButtonCount> kButtonResults = {
    mrYes, mrNo, mrOk, mrCancel, mrAbort, mrRetry, mrIgnore, mrAll, mrNoToAll, mrYesToAll, mrNone,
};
}  // namespace

std::string DialogCaption(TMsgDlgType type, std::string_view applicationTitle)
{
    switch (type) {
    case mtWarning:
        return "警告";
    case mtError:
        return "エラー";
    case mtInformation:
        return "情報";
    case mtConfirmation:
        return "確認";
    case mtCustom:
        break;
    }
    return std::string(applicationTitle);
}

std::string ButtonCaption(TMsgDlgBtn button)
{
    const int index = static_cast<int>(button);
    return index >= 0 && index < kButtonCount ? kButtonCaptions[index] : "";
}

int ButtonModalResult(TMsgDlgBtn button)
{
    const int index = static_cast<int>(button);
    return index >= 0 && index < kButtonCount ? kButtonResults[index] : mrNone;
}

std::vector<TMsgDlgBtn> ButtonsInOrder(TMsgDlgButtons buttons)
{
    std::vector<TMsgDlgBtn> ordered;
    for (int i = 0; i < kButtonCount; ++i)
        if (buttons.Contains(static_cast<TMsgDlgBtn>(i)))
            ordered.push_back(static_cast<TMsgDlgBtn>(i));
    return ordered;
}

TMsgDlgBtn DefaultButton(TMsgDlgButtons buttons)
{
    if (buttons.Contains(mbOK))
        return mbOK;
    if (buttons.Contains(mbYes))
        return mbYes;
    if (buttons.Contains(mbRetry))
        return mbRetry;
    const std::vector<TMsgDlgBtn> ordered = ButtonsInOrder(buttons);
    return ordered.empty() ? mbOK : ordered.front();
}

int EscapeResult(TMsgDlgButtons buttons)
{
    if (buttons.Contains(mbCancel))
        return mrCancel;
    if (buttons.Contains(mbNo))
        return mrNo;
    if (buttons.Contains(mbOK))
        return mrOk;
    return mrCancel;
}

}  // namespace zr
