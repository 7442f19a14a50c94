#include "test_support/temp_env.h"
#include "util/message_box.h"
#include "util/message_presenter_qt.h"
#include "util/message_texts.h"
#include "util/qt_app.h"
#include "util/settings_store.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <cerrno>

using namespace zr;
using zr::testing::TempRegistry;

namespace {

class FakePresenter : public MessageBoxPresenter {
public:
    void Beep() override { events.push_back("beep"); }
    int Show(const MessageBoxRequest &request) override
    {
        events.push_back("box");
        requests.push_back(request);
        return result;
    }
    std::vector<std::string> events;
    std::vector<MessageBoxRequest> requests;
    int result = mrOk;
};

struct MessageBoxTest : ::testing::Test {
    TempRegistry registry;
    std::shared_ptr<FakePresenter> fake = std::make_shared<FakePresenter>();
    ScopedMessageBoxPresenter scope{fake};
};

using Events = std::vector<std::string>;

}  // namespace

TEST(MessageTypes, CaptionsResultsAndKeyboardButtons)
{
    EXPECT_EQ(DialogCaption(mtWarning, "T"), "警告");
    EXPECT_EQ(DialogCaption(mtError, "T"), "エラー");
    EXPECT_EQ(DialogCaption(mtInformation, "T"), "情報");
    EXPECT_EQ(DialogCaption(mtConfirmation, "T"), "確認");
    EXPECT_EQ(DialogCaption(mtCustom, "T"), "T");
    EXPECT_EQ(ButtonCaption(mbNoToAll), "すべていいえ(&O)");
    EXPECT_EQ(ButtonCaption(mbHelp), "ヘルプ(&H)");

    const int expected[] = {mrYes,   mrNo,     mrOk,  mrCancel,  mrAbort,
                            mrRetry, mrIgnore, mrAll, mrNoToAll, mrYesToAll};
    const int numbers[] = {6, 7, 1, 2, 3, 4, 5, 8, 9, 10};
    for (int b = mbYes; b <= mbYesToAll; ++b) {
        EXPECT_EQ(ButtonModalResult(static_cast<TMsgDlgBtn>(b)), expected[b]);
        EXPECT_EQ(expected[b], numbers[b]);
    }
    EXPECT_EQ(ButtonsInOrder({mbRetry, mbCancel}), (std::vector<TMsgDlgBtn>{mbCancel, mbRetry}));
    EXPECT_EQ(DefaultButton(mbYesNo), mbYes);
    EXPECT_EQ(DefaultButton(mbRetryCancel), mbRetry);
    EXPECT_EQ(DefaultButton({mbAbort, mbIgnore}), mbAbort);
    EXPECT_EQ(EscapeResult(mbYesNo), mrNo);
    EXPECT_EQ(EscapeResult(mbRetryCancel), mrCancel);
    EXPECT_EQ(EscapeResult(mbOKOnly), mrOk);
}

TEST_F(MessageBoxTest, ErrorBoxesBeepUnlessBeepSoundIsTrue)
{
    EXPECT_EQ(ShowMessageBox(nullptr, "x", mtError, mbOKOnly), mrOk);
    EXPECT_EQ(fake->events, (Events{"beep", "box"}));

    fake->events.clear();
    ShowMessageBox(nullptr, "x", mtWarning, mbOKOnly);
    ShowMessageBox(nullptr, "x", mtConfirmation, mbYesNo);
    EXPECT_EQ(fake->events, (Events{"box", "box"}));

    fake->events.clear();
    WriteSettingInteger("Setting", "BeepSound", 1);
    ShowMessageBox(nullptr, "x", mtError, mbOKOnly);
    ShowMessageBoxOverWindow(nullptr, "x", mtError, mbOKOnly);
    EXPECT_EQ(fake->events, (Events{"box", "box"}));

    fake->events.clear();
    WriteSettingString("Setting", "BeepSound", "yes");  // unreadable setting: the default applies
    ShowMessageBox(nullptr, "x", mtError, mbOKOnly);
    EXPECT_EQ(fake->events, (Events{"beep", "box"}));
}

TEST_F(MessageBoxTest, SystemErrorAlwaysBeepsAndShowsTheCode)
{
    fake->result = mrRetry;
    EXPECT_EQ(ShowSystemError(nullptr, ENOENT, "open failed", mbRetryCancel), mrRetry);
    EXPECT_EQ(fake->events, (Events{"beep", "beep", "box"}));
    const MessageBoxRequest &box = fake->requests.back();
    EXPECT_EQ(box.type, mtError);
    EXPECT_EQ(box.buttons, mbRetryCancel);
    EXPECT_EQ(box.text, SystemErrorText(ENOENT, "open failed") + "\r\nエラーコード=2");

    fake->events.clear();
    WriteSettingInteger("Setting", "BeepSound", 1);
    ShowSystemError(nullptr, ENOENT, "", mbOKOnly);
    EXPECT_EQ(fake->events, (Events{"beep", "box"}));
}

TEST(MessageTexts, SystemTextsAndReadyMadeMessages)
{
    const std::string system = SystemErrorText(ENOENT, "");
    EXPECT_FALSE(system.empty());
    EXPECT_EQ(SystemErrorText(ENOENT, "extra"), "extra\r\n" + system);
    EXPECT_EQ(SystemErrorText(99999, ""), "");
    EXPECT_EQ(SystemErrorBoxText(99999, "extra"), "extra\r\n\r\nエラーコード=99999");
    EXPECT_EQ(FileMissingText("/a/b"),
              "ファイル： /a/b\r\n指定のファイルは存在しません。削除されたか移動されました。");
    EXPECT_EQ(FolderMissingText("/a"),
              "フォルダ： /a\r\n指定のフォルダは存在しません。削除されたか移動されました。");
    EXPECT_EQ(NetworkErrorText(1222), "ネットワークは機能していません。");
    EXPECT_EQ(NetworkErrorText(5), "");
}

TEST_F(MessageBoxTest, ReadyMadeBoxesUseTheirTypesAndCaptions)
{
    ShowFolderMissing(nullptr, "/gone");
    ShowPlainMessage(nullptr, "plain");
    ShowNetworkError(nullptr, 86);
    ShowNetworkError(nullptr, 5);  // unknown code: nothing shown
    EXPECT_EQ(fake->events, (Events{"beep", "box", "box", "box"}));
    ASSERT_EQ(fake->requests.size(), 3u);
    EXPECT_EQ(fake->requests[0].caption, "エラー");
    EXPECT_EQ(fake->requests[0].text, FolderMissingText("/gone"));
    EXPECT_EQ(fake->requests[1].type, mtCustom);
    EXPECT_EQ(fake->requests[1].buttons, mbOKOnly);
    EXPECT_FALSE(fake->requests[1].caption.empty()) << "custom boxes carry the application title";
    EXPECT_EQ(fake->requests[2].text, "無効なパスワードです。");
}

TEST_F(MessageBoxTest, OwnerAndWindowSetWhereTheBoxIsCentred)
{
    zr::testing::EnsureQtApplication();
    QWidget owner;
    owner.setGeometry(100, 50, 400, 300);
    ShowMessageBoxAt(&owner, "x", mtInformation, mbOKOnly, 7, 10, 10);
    ShowMessageBoxAt(nullptr, "x", mtInformation, mbOKOnly, 0, 10, 20);
    ShowMessageBoxOverWindow(&owner, "x", mtInformation, mbOKOnly);
    ASSERT_EQ(fake->requests.size(), 3u);
    EXPECT_EQ(fake->requests[0].centreOver, (Rect{100, 50, 400, 300}));
    EXPECT_EQ(fake->requests[0].helpContext, 7);
    EXPECT_TRUE(fake->requests[0].keepClearOfTaskbar);
    EXPECT_FALSE(fake->requests[1].centreOver.has_value());
    EXPECT_EQ(fake->requests[1].x, 10);
    EXPECT_EQ(fake->requests[1].y, 20);
    EXPECT_FALSE(fake->requests[2].keepClearOfTaskbar);
}

TEST(QtMessageBoxPresenter, ReturnsTheModalResultOfTheClickedButton)
{
    zr::testing::EnsureQtApplication();
    Qt::TextFormat format = Qt::AutoText;
    QTimer::singleShot(0, [&format] {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *box = qobject_cast<QMessageBox *>(w)) {
                format = box->textFormat();
                for (QAbstractButton *button : box->buttons())
                    if (button->text() == QString::fromUtf8("いいえ(&N)"))
                        button->click();
            }
    });
    MessageBoxRequest request;
    request.text = "<b>a.txt</b> を消しますか？";  // a file name that looks like markup
    request.caption = "確認";
    request.type = mtConfirmation;
    request.buttons = mbYesNo;
    EXPECT_EQ(MakeQtMessageBoxPresenter()->Show(request), mrNo);
    EXPECT_EQ(format, Qt::PlainText) << "names are shown as typed, never as markup";
}

TEST(QtMessageBoxPresenter, WithoutAWidgetApplicationReportsOnStderrAndDeclines)
{
    MessageBoxRequest request;
    request.text = "消してよいですか？";
    request.buttons = mbYesNo;
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(ReportMessageWithoutWindow(request), mrNo);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("消してよいですか？"), std::string::npos);
}
