// The web popup's upgrade window: one press, the proxy off first, the percentage, the install as
// soon as the download is done, and no relaunch for a window that has gone.
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "upgrade/MupleUpgradeManager.h"
#include "upgrade/UpgradeWindowModel.h"

namespace {

class UpgradeWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_script = m_dir.path() + QStringLiteral("/install.sh");
        QFile script(m_script);
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\necho \"$#\" >> \"$(dirname \"$0\")/ran\"\n");
        script.close();
        m_runner.setScriptPathForTesting(m_script);
        m_runner.setStopProxy([this](std::function<void()> then) { QTimer::singleShot(0, &m_runner, then); });
        m_runner.setStartDetached([this](const UpgradeInstallRunner::Command &) { ++m_relaunches; return true; });
        m_runner.setQuit([] {});
        m_manager.setInstallRunner(&m_runner);
        m_manager.setDownloader([this](const QString &url, OONetWork::DownloadHandler handler) {
            m_urls << url;
            m_handler = std::move(handler);
        });
        m_model.setManager(&m_manager);
        m_model.setStopProxy([this] { ++m_proxyOffs; });
        m_model.setRestoreProxy([this] { ++m_proxyBacks; });
        m_model.downloadUrl = QStringLiteral("https://downloads.example.com/ostrel.deb");
        m_model.version = QStringLiteral("9.9.9");
    }

    bool scriptRan() const { return QFile::exists(m_dir.path() + QStringLiteral("/ran")); }
    int scriptRuns() const
    {
        QFile ran(m_dir.path() + QStringLiteral("/ran"));
        return ran.open(QIODevice::ReadOnly) ? int(ran.readAll().count('\n')) : 0;
    }

    QTemporaryDir m_dir;
    QString m_script;
    UpgradeInstallRunner m_runner;
    MupleUpgradeManager m_manager;
    UpgradeWindowModel m_model;
    QStringList m_urls;
    OONetWork::DownloadHandler m_handler;
    int m_proxyOffs = 0;
    int m_proxyBacks = 0;
    int m_relaunches = 0;
};

} // namespace

TEST(UpgradeWindowPercentTest, ShortestDecimalForm)
{
    EXPECT_EQ(UpgradeWindowModel::formatPercent(0.25), QStringLiteral("25.0%"));
    EXPECT_EQ(UpgradeWindowModel::formatPercent(1.0), QStringLiteral("100.0%"));
    EXPECT_EQ(UpgradeWindowModel::formatPercent(0.375), QStringLiteral("37.5%"));
    EXPECT_EQ(UpgradeWindowModel::formatPercent(0.0), QStringLiteral("0.0%"));
    EXPECT_EQ(UpgradeWindowModel::formatPercent(0.005), QStringLiteral("0.5%"));
}

TEST_F(UpgradeWindowTest, OnePressTurnsTheProxyOffDownloadsAndInstalls)
{
    QObject controller;
    EXPECT_EQ(m_model.percentText(), QStringLiteral("0%"));
    EXPECT_FALSE(m_model.ringVisible());
    m_model.startDownload(&controller);
    m_model.startDownload(&controller);
    EXPECT_EQ(m_proxyOffs, 1);
    ASSERT_EQ(m_urls.size(), 1);

    m_handler(DownloadProgress{250, 1000}, false, std::nullopt);
    EXPECT_TRUE(m_model.ringVisible());
    EXPECT_EQ(m_model.percentText(), QStringLiteral("25.0%"));
    EXPECT_DOUBLE_EQ(m_model.ringProgress(), 0.25);
    m_handler(std::nullopt, true, std::nullopt);
    EXPECT_EQ(m_model.percentText(), QStringLiteral("0.0%"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_relaunches == 1; }, 10000));
    EXPECT_TRUE(scriptRan());
}

TEST_F(UpgradeWindowTest, AnAddressThatIsNoInstallerStartsNothingButTheProxyIsAlreadyOff)
{
    for (const QString &url : {QStringLiteral("not a url"), QStringLiteral("http://downloads.example.com/x.deb")}) {
        UpgradeWindowModel model;
        model.setManager(&m_manager);
        int offs = 0;
        int backs = 0;
        model.setStopProxy([&] { ++offs; });
        model.setRestoreProxy([&] { ++backs; });
        model.downloadUrl = url;
        model.startDownload(nullptr);
        EXPECT_EQ(offs, 1);
        EXPECT_EQ(backs, 1) << "nothing follows: the proxy is put back";
        EXPECT_TRUE(model.started());
    }
    EXPECT_TRUE(m_urls.isEmpty());
}

TEST_F(UpgradeWindowTest, AFailureKeepsTheLastPercentAndAMissingScriptInstallsNothing)
{
    QObject controller;
    m_model.startDownload(&controller);
    m_handler(DownloadProgress{500, 1000}, false, std::nullopt);
    EXPECT_EQ(m_proxyBacks, 0);
    m_handler(std::nullopt, false, NetError{404, QStringLiteral("not found")});
    EXPECT_EQ(m_model.percentText(), QStringLiteral("50.0%"));
    EXPECT_FALSE(m_model.failureText().isEmpty());
    EXPECT_EQ(m_proxyBacks, 1);
    EXPECT_FALSE(m_manager.isDownloading());

    UpgradeWindowModel second;
    second.setManager(&m_manager);
    second.setStopProxy([] {});
    second.setRestoreProxy([] {});
    second.downloadUrl = m_model.downloadUrl;
    m_runner.setScriptPathForTesting(std::nullopt);
    second.startDownload(&controller);
    m_handler(std::nullopt, true, std::nullopt);
    EXPECT_EQ(second.percentText(), QStringLiteral("0.0%"));
    QCoreApplication::processEvents();
    EXPECT_FALSE(m_runner.isRunning());
    EXPECT_EQ(m_relaunches, 0);
}

TEST_F(UpgradeWindowTest, AClosedWindowStillInstallsButDoesNotRelaunch)
{
    auto controller = std::make_unique<QObject>();
    m_model.startDownload(controller.get());
    controller.reset();
    m_handler(std::nullopt, true, std::nullopt);
    ASSERT_TRUE(QTest::qWaitFor([&] { return scriptRan() && !m_runner.isRunning(); }, 10000));
    QCoreApplication::processEvents();
    EXPECT_EQ(m_relaunches, 0);
}

TEST_F(UpgradeWindowTest, AnotherRoadsInstallDuringTheWindowsDownloadWaitsForItAndOneInstallRuns)
{
    QObject controller;
    m_model.startDownload(&controller);
    m_handler(DownloadProgress{250, 1000}, false, std::nullopt);
    // The home screen's ready-to-install dialog is confirmed meanwhile.
    std::optional<UpgradeInstallRunner::Outcome> otherRoad;
    m_manager.install(&m_manager, [&](const UpgradeInstallRunner::Result &result) { otherRoad = result.outcome; });
    QCoreApplication::processEvents();
    EXPECT_EQ(m_manager.state().phase(), UpgradeState::Phase::Downloading) << "no install over a package being written";
    EXPECT_FALSE(m_runner.isRunning());
    EXPECT_FALSE(otherRoad.has_value());

    m_handler(DownloadProgress{1000, 1000}, false, std::nullopt);
    m_handler(std::nullopt, true, std::nullopt);
    // The window's own download is installed, once, and the window says so while it runs.
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_model.installing(); }, 10000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_relaunches == 1 && otherRoad.has_value(); }, 10000));
    EXPECT_EQ(*otherRoad, UpgradeInstallRunner::Outcome::Busy);
    EXPECT_EQ(scriptRuns(), 1);
    EXPECT_FALSE(m_model.installing());
    EXPECT_TRUE(m_model.failureText().isEmpty()) << m_model.failureText().toStdString();
}

TEST_F(UpgradeWindowTest, AnInstallWaitingForADownloadThatFailsHearsTheFailure)
{
    QObject controller;
    m_model.startDownload(&controller);
    std::optional<UpgradeInstallRunner::Result> otherRoad;
    m_manager.install(&m_manager, [&](const UpgradeInstallRunner::Result &result) { otherRoad = result; });
    m_handler(std::nullopt, false, NetError{404, QStringLiteral("Not Found")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return otherRoad.has_value(); }, 10000));
    EXPECT_EQ(otherRoad->outcome, UpgradeInstallRunner::Outcome::Failed);
    EXPECT_EQ(otherRoad->message, m_manager.state().failure());
    EXPECT_FALSE(scriptRan());
    EXPECT_EQ(m_proxyBacks, 1);
}
