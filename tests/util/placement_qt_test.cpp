#include "platform/registry_database.h"
#include "test_support/temp_env.h"
#include "util/message_box.h"
#include "util/message_registry_notice.h"
#include "util/placement_qt.h"
#include "util/qt_app.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <gtest/gtest.h>

using namespace zr;

TEST(PlacementQt, WidgetsArePlacedNearTheirOwnerAndShown)
{
    zr::testing::EnsureQtApplication();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QWidget owner;
    owner.setGeometry(screen.x() + 100, screen.y() + 80, 300, 200);
    QWidget form;
    form.resize(120, 90);

    int x = -1, y = -1;
    PlaceNear(2, &owner, &form, x, y);
    EXPECT_EQ(x, screen.x() + 100 + 150 - 60);
    EXPECT_EQ(y, screen.y() + 80 + 100 - 45);

    PlaceFormNear(1, &owner, &form);
    EXPECT_EQ(form.pos(), QPoint(screen.x() + 120, screen.y() + 100));
    EXPECT_TRUE(form.isVisible());

    QWidget alone;
    alone.resize(100, 50);
    PlaceFormNear(1, nullptr, &alone);
    EXPECT_EQ(alone.pos(),
              QPoint(screen.x() + (screen.width() - 100) / 2, screen.y() + (screen.height() - 50) / 2));
}

TEST(RegistryNotices, CanBeShownAsWarningBoxes)
{
    struct Recorder : MessageBoxPresenter {
        void Beep() override {}
        int Show(const MessageBoxRequest &r) override
        {
            shown.push_back(r);
            return mrOk;
        }
        std::vector<MessageBoxRequest> shown;
    };
    auto recorder = std::make_shared<Recorder>();
    ScopedMessageBoxPresenter scope(recorder);
    zr::testing::TempFolder folder;
    zr::testing::WriteFileBytes(folder.File("reg"), std::string(2048, 'x'));

    ShowRegistryNoticesInMessageBoxes();
    platform::RegistryDatabase db(folder.File("reg"));
    platform::SetRegistryNoticeHandler(nullptr);
    ASSERT_EQ(recorder->shown.size(), 1u);
    EXPECT_EQ(recorder->shown[0].type, mtWarning);
    EXPECT_NE(recorder->shown[0].text.find(folder.File("reg.broken-")), std::string::npos);
}
