#include "util/path_check_ui.h"

#include <QApplication>
#include <QMessageBox>
#include <cstring>

namespace zr {

namespace {
class MessageBoxUi final : public PathCheckUi {
public:
    void ShowError(QWidget *owner, const std::string &text) override
    {
        QApplication::beep();
        QMessageBox::critical(owner, QStringLiteral("エラー"), QString::fromStdString(text));
    }

    bool AskRetryAfterSystemError(QWidget *owner, int errorCode, const std::string &extraText) override
    {
        QApplication::beep();
        const std::string text =
            extraText + "\r\n" + std::strerror(errorCode) + "\r\n" + "エラーコード=" + std::to_string(errorCode);
        const auto answer = QMessageBox::critical(owner, QStringLiteral("エラー"), QString::fromStdString(text),
                                                  QMessageBox::Retry | QMessageBox::Cancel);
        return answer == QMessageBox::Retry;
    }
};
}  // namespace

PathCheckUi &MessageBoxPathCheckUi()
{
    static MessageBoxUi ui;
    return ui;
}

}  // namespace zr
