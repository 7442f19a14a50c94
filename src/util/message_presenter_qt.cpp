#include "util/message_presenter_qt.h"

#include "util/message_placement.h"
#include "util/placement_qt.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

#include <cstdio>
#include <map>

namespace zr {

namespace {

QMessageBox::Icon IconFor(TMsgDlgType type)
{
    switch (type) {
    case mtWarning:
        return QMessageBox::Warning;
    case mtError:
        return QMessageBox::Critical;
    case mtInformation:
        return QMessageBox::Information;
    case mtConfirmation:
        return QMessageBox::Question;
    case mtCustom:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::ButtonRole RoleFor(TMsgDlgBtn button)
{
    switch (button) {
    case mbYes:
    case mbYesToAll:
    case mbAll:
        return QMessageBox::YesRole;
    case mbNo:
    case mbNoToAll:
        return QMessageBox::NoRole;
    case mbOK:
        return QMessageBox::AcceptRole;
    case mbCancel:
    case mbAbort:
        return QMessageBox::RejectRole;
    case mbHelp:
        return QMessageBox::HelpRole;
    default:
        return QMessageBox::ActionRole;
    }
}

QString DisplayText(const std::string &text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).replace("\r\n", "\n");
}

class QtMessageBoxPresenter : public MessageBoxPresenter {
public:
    void Beep() override
    {
        if (HasWidgets())
            QApplication::beep();
    }

    int Show(const MessageBoxRequest &request) override
    {
        if (!HasWidgets())
            return ReportMessageWithoutWindow(request);
        QMessageBox box(IconFor(request.type), DisplayText(request.caption), DisplayText(request.text),
                        QMessageBox::NoButton, request.owner);
        // Texts carry file names and search strings: "<b>" must show as typed.
        box.setTextFormat(Qt::PlainText);
        box.setProperty("helpContext", request.helpContext);
        std::map<QAbstractButton *, int> results;
        AddButtons(box, request.buttons, results);
        Place(box, request);
        box.exec();
        const auto found = results.find(box.clickedButton());
        return found != results.end() ? found->second : EscapeResult(request.buttons);
    }

private:
    static bool HasWidgets() { return qobject_cast<QApplication *>(QCoreApplication::instance()) != nullptr; }

    static void AddButtons(QMessageBox &box, TMsgDlgButtons buttons,
                           std::map<QAbstractButton *, int> &results)
    {
        const TMsgDlgBtn defaultButton = DefaultButton(buttons);
        const int escapeResult = EscapeResult(buttons);
        for (TMsgDlgBtn b : ButtonsInOrder(buttons)) {
            QPushButton *button = box.addButton(QString::fromUtf8(ButtonCaption(b)), RoleFor(b));
            results[button] = ButtonModalResult(b);
            if (b == defaultButton)
                box.setDefaultButton(button);
            if (ButtonModalResult(b) == escapeResult)
                box.setEscapeButton(button);
        }
    }

    static void Place(QMessageBox &box, const MessageBoxRequest &request)
    {
        QScreen *screen = request.owner ? request.owner->screen() : QGuiApplication::primaryScreen();
        if (!screen)
            return;
        box.adjustSize();
        const Rect rect = MessageBoxRect(request, {box.width(), box.height()}, ToRect(screen->geometry()),
                                         ToRect(screen->availableGeometry()));
        box.move(rect.left, rect.top);
    }
};

}  // namespace

int ReportMessageWithoutWindow(const MessageBoxRequest &request)
{
    std::fprintf(stderr, "%s: %s\n", request.caption.c_str(), request.text.c_str());
    return EscapeResult(request.buttons);
}

std::shared_ptr<MessageBoxPresenter> MakeQtMessageBoxPresenter()
{
    return std::make_shared<QtMessageBoxPresenter>();
}

}  // namespace zr
