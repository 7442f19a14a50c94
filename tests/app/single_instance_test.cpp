// One copy per user: the handshake in one process, then two real processes.

#include "app/single_instance.h"
#include "app_test_support.h"
#include "test_support/temp_env.h"
#include "util/settings_store.h"

#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>
#include <thread>

namespace zr {
namespace {

TEST(SingleInstance, NameIsPerUserAndPerSettingsDatabase)
{
    testing::TempRegistry first;
    const QString a = SingleInstanceName();
    EXPECT_TRUE(a.contains("ZuRivoPrevInst"));
    testing::TempRegistry second;
    EXPECT_NE(SingleInstanceName(), a);
}

TEST(SingleInstance, SecondClaimLosesAndHandsItsArgumentsOver)
{
    testing::App();
    testing::TempRegistry registry;
    const QString name = SingleInstanceName();
    TSingleInstance first(name);
    ASSERT_TRUE(first.Claim());
    QStringList received;
    int activations = 0;
    QObject::connect(&first, &TSingleInstance::Activated, [&](const QStringList &args) {
        received = args;
        ++activations;
    });
    {
        TSingleInstance second(name);
        EXPECT_FALSE(second.Claim());
    }
    // The handing over blocks; the first copy answers from the event loop.
    bool answered = false;
    std::thread other([&] { answered = TSingleInstance::NotifyFirst(name, {"/tmp/条件 1.ZrSrh"}, 3, 100); });
    ASSERT_TRUE(testing::PumpUntil([&] { return activations == 1; }));
    other.join();
    EXPECT_TRUE(answered);
    EXPECT_EQ(received, QStringList{"/tmp/条件 1.ZrSrh"});
}

TEST(SingleInstance, NobodyListeningMeansTheNotifyGivesUpAndAStaleSocketIsTakenOver)
{
    testing::App();
    testing::TempRegistry registry;
    const QString name = SingleInstanceName();
    EXPECT_FALSE(TSingleInstance::NotifyFirst(name, {}, 2, 10));
    TSingleInstance first(name);
    EXPECT_TRUE(first.Claim());
}

TEST(SingleInstance, ASecondProgramActivatesTheFirstAndEnds)
{
    testing::App();
    testing::TempRegistry registry;
    const QString program = qEnvironmentVariable("ZR_BIN_DIR") + "/zurivo";
    if (!QFile::exists(program))
        GTEST_SKIP() << "zurivo is not built";
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("ZURIVO_REGISTRY", QString::fromStdString(registry.Path()));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    WriteSettingString("Setting", "WorkPath", registry.Folder().Path());

    QProcess first;
    first.setProcessEnvironment(env);
    first.start(program, {});
    ASSERT_TRUE(first.waitForStarted(5000));
    const QString name = SingleInstanceName();
    ASSERT_TRUE(testing::PumpUntil(
        [&] {
            QLocalSocket probe;
            probe.connectToServer(name);
            return probe.waitForConnected(100);
        },
        20000));

    QProcess second;
    second.setProcessEnvironment(env);
    second.start(program, {});
    ASSERT_TRUE(second.waitForFinished(20000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);

    first.terminate();
    if (!first.waitForFinished(5000))
        first.kill();
    first.waitForFinished(5000);
}

}  // namespace
}  // namespace zr
