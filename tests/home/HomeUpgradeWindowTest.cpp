// The upgrade window over a connected home screen, through the real roads: the stand-in service
// serves the installer, the helper with its file backend holds the desktop proxy, the stand-in
// engines relay. However the window's download and install end, the home screen and the desktop
// proxy agree: the proxy back on 9999 while it shows connected, or the connection ended.
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QScopeGuard>
#include <QTest>

#include <csignal>

#include "common/ClickableFlag.h"
#include "common/NotificationCenter.h"
#include "common/NotificationNames.h"
#include "home/NBConnectView.h"
#include "home/NBHomeViewController.h"
#include "home/NBNewHomeContentView.h"
#include "uikit/NBDisableButton.h"
#include "uikit/UiTiming.h"
#include "upgrade/MupleUpgradeManager.h"
#include "upgrade/NBUpgradeController.h"
#include "upgrade/NBUpgradeProgressController.h"
#include "upgrade/UpgradeInstallRunner.h"
#include "upgrade/UpgradeWindowModel.h"
#include "support/ConnectRoadFixture.h"
#include "support/ProcessWaits.h"

namespace {

class HomeUpgradeWindow : public ConnectRoadFixture
{
protected:
    void SetUp() override
    {
        startPieces(QStringLiteral("standin-sslocal-scripted"));
        signInAsVisitor();
        QDir(AppPaths::downloadsFolder()).removeRecursively();
        home = std::make_unique<NBHomeViewController>();
        home->resize(728, 500);
        home->ensureLoaded();
        home->show();
        home->homeBackView()->setMonotonicClock([this] { return m_fakeMs += 2000; });

        // The install step as the client runs it, but with a script of the test's and a relaunch
        // that is only counted.
        m_runner.setStartDetached([this](const UpgradeInstallRunner::Command &) { ++relaunches; return true; });
        m_runner.setQuit([] {});
        m_manager.setInstallRunner(&m_runner);
        useScript("exit 0");

        QTest::mouseClick(home->homeBackView()->connectButton(), Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&] { return connectedOnScreen(); }, 15000));
        ASSERT_TRUE(proxyPointsAtUs());
    }

    void TearDown() override
    {
        if (m_frozen)
            ::kill(pid_t(m_helper.pid()), SIGCONT);
        if (window)
            delete window.data();
        home.reset();
        ConnectRoadFixture::TearDown();
    }

    void useScript(const QByteArray &body)
    {
        const QString path = m_dir.path() + QStringLiteral("/update_new_version.sh");
        QFile script(path);
        ASSERT_TRUE(script.open(QIODevice::WriteOnly | QIODevice::Truncate));
        script.write("#!/bin/sh\necho ran > \"$(dirname \"$0\")/ran\"\n" + body + "\n");
        script.close();
        m_runner.setScriptPathForTesting(path);
    }
    bool scriptRan() const { return QFile::exists(m_dir.path() + QStringLiteral("/ran")); }

    // What the popup's "update" button opens, then the user's press on its one button.
    NBUpgradeController *openAndPress(const QString &path)
    {
        NBUpgradeProgressController *opened =
            NBUpgradeProgressController::open(m_standin.baseUrl() + path, QStringLiteral("9.9.9"));
        window = opened->window();
        NBUpgradeController *content = opened->contentViewController();
        content->model()->setManager(&m_manager);
        QTest::mouseClick(content->upgradeButton(), Qt::LeftButton);
        return content;
    }

    void closeWindow()
    {
        window->close();
        ASSERT_TRUE(QTest::qWaitFor([&] { return window.isNull(); }, 5000));
    }

    // Holds the stand-in still until the returned guard goes: a download it serves cannot end
    // meanwhile, however slow this program is.
    auto holdTheStandin()
    {
        const pid_t standin = pid_t(m_standin.processId());
        EXPECT_TRUE(ProcessWaits::stop(standin));
        return qScopeGuard([standin] { ::kill(standin, SIGCONT); });
    }

    // The helper answers in order: once it has answered this, it has applied all sent before.
    void helperCaughtUp()
    {
        bool answered = false;
        m_helperClient->getCurrentProxySetting([&](const std::optional<QJsonObject> &) { answered = true; });
        ASSERT_TRUE(QTest::qWaitFor([&] { return answered; }, 10000));
    }

    bool connectedOnScreen() const
    {
        return home->homeBackView()->state() == NBConnectAreaState::running
            && UserDefaults::standard().boolForKey(DefaultsKeys::ShadowsocksOn);
    }

    // The download and install have ended and the window suspended the proxy on the way: the
    // proxy comes back to 9999 and the home screen never stopped showing connected.
    void expectProxyBackAndConnected()
    {
        helperCaughtUp();
        EXPECT_TRUE(QTest::qWaitFor([&] { return proxyPointsAtUs(); }, 5000)) << "the desktop proxy is the user's own";
        EXPECT_TRUE(connectedOnScreen());
        EXPECT_FALSE(noEngineLeft()) << "the engines were stopped";
    }

    UiTimingScope timing{0.01};
    qint64 m_fakeMs = 0;
    std::unique_ptr<NBHomeViewController> home;
    QPointer<QWidget> window;
    UpgradeInstallRunner m_runner;
    MupleUpgradeManager m_manager;
    int relaunches = 0;
    bool m_frozen = false;
};

constexpr auto kSlowInstaller = "/static/ostrel.deb?chunk=100&chunk_delay_ms=20";

} // namespace

TEST_F(HomeUpgradeWindow, AWindowClosedDuringTheDownloadPutsTheProxyBackWhenTheDownloadFails)
{
    {
        const auto held = holdTheStandin();
        openAndPress(QString::fromLatin1(kSlowInstaller) + QStringLiteral("&break_at=300"));
        closeWindow();
        ASSERT_EQ(m_manager.state().phase(), UpgradeState::Phase::Downloading);
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_manager.state().phase() == UpgradeState::Phase::Failed; }, 20000));
    expectProxyBackAndConnected();
    EXPECT_FALSE(scriptRan());
}

TEST_F(HomeUpgradeWindow, AWindowClosedDuringTheDownloadPutsTheProxyBackAfterAnInstallWithNoRelaunch)
{
    {
        const auto held = holdTheStandin();
        openAndPress(QString::fromLatin1(kSlowInstaller));
        closeWindow();
        ASSERT_EQ(m_manager.state().phase(), UpgradeState::Phase::Downloading);
    }
    // Installed: the state goes back to idle, and no relaunch follows for a window that has gone.
    ASSERT_TRUE(QTest::qWaitFor([&] { return scriptRan() && m_manager.state().phase() == UpgradeState::Phase::Idle; }, 30000));
    expectProxyBackAndConnected();
    EXPECT_EQ(relaunches, 0);
}

TEST_F(HomeUpgradeWindow, AFailedInstallOrAMissingScriptPutsTheProxyBackAndTheWindowSaysSo)
{
    useScript("exit 1");
    NBUpgradeController *content = openAndPress(QStringLiteral("/static/ostrel.deb"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_manager.state().phase() == UpgradeState::Phase::Failed; }, 20000));
    expectProxyBackAndConnected();
    // The window says what the state says.
    EXPECT_EQ(content->versionLabel()->text(), m_manager.state().failure());
    EXPECT_TRUE(m_manager.state().failure().startsWith(QStringLiteral("安装失败"))) << m_manager.state().failure().toStdString();
    closeWindow();

    m_runner.setScriptPathForTesting(std::nullopt);
    content = openAndPress(QStringLiteral("/static/ostrel.deb"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_manager.state().phase() == UpgradeState::Phase::Ready; }, 20000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return content->progressLabel()->text() == QStringLiteral("0.0%"); }, 5000));
    expectProxyBackAndConnected();
    EXPECT_EQ(relaunches, 0);
}

TEST_F(HomeUpgradeWindow, AFailedDownloadWithTheWindowOpenSaysTheStatesTextAndPutsTheProxyBack)
{
    NBUpgradeController *content = openAndPress(QStringLiteral("/static/missing.deb"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_manager.state().phase() == UpgradeState::Phase::Failed; }, 20000));
    expectProxyBackAndConnected();
    EXPECT_TRUE(QTest::qWaitFor([&] { return content->versionLabel()->text() == m_manager.state().failure(); }, 5000));
    EXPECT_TRUE(m_manager.state().failure().startsWith(QStringLiteral("下载失败，请稍后重试")));
    EXPECT_EQ(ClickableFlag::isClickable(content->upgradeButton()), std::optional<bool>(false));
}

TEST_F(HomeUpgradeWindow, ASuccessfulInstallWithTheWindowOpenRelaunches)
{
    openAndPress(QStringLiteral("/static/ostrel.deb"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return relaunches == 1; }, 30000));
    EXPECT_TRUE(scriptRan());
}

TEST_F(HomeUpgradeWindow, AHelperThatAnswersTooLateEndsTheConnectionOnScreenAndOnTheDesktop)
{
    // The helper freezes before the press: the window's suspension waits in its queue, the
    // install gives up waiting for it and fails, and only then does the helper go on.
    useScript("exit 1");
    int tunStateChanges = 0;
    QObject observer;
    NotificationCenter::defaultCenter().addObserver(NotificationNames::kTunStateChange, &observer,
                                                    [&](const Notification &) { ++tunStateChanges; });
    ASSERT_EQ(::kill(pid_t(m_helper.pid()), SIGSTOP), 0);
    m_frozen = true;
    openAndPress(QStringLiteral("/static/ostrel.deb"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return scriptRan() && m_manager.state().phase() == UpgradeState::Phase::Failed; }, 30000));
    // The client cannot confirm the proxy back: it ends the connection as a stop does.
    ASSERT_TRUE(QTest::qWaitFor([&] { return home->homeBackView()->state() == NBConnectAreaState::paused; }, 30000));
    EXPECT_FALSE(UserDefaults::standard().boolForKey(DefaultsKeys::ShadowsocksOn));
    EXPECT_GE(tunStateChanges, 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return noEngineLeft(); }, 10000));

    // The helper now applies everything it was sent, in order: the desktop is the user's own.
    ASSERT_EQ(::kill(pid_t(m_helper.pid()), SIGCONT), 0);
    m_frozen = false;
    helperCaughtUp();
    EXPECT_FALSE(proxyPointsAtUs());
    EXPECT_EQ(home->homeBackView()->state(), NBConnectAreaState::paused);
    EXPECT_EQ(relaunches, 0);
}
