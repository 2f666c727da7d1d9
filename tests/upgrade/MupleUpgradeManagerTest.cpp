// The upgrade decision against the stand-in service: each server state, the real download of
// the stand-in's package with progress, and the install through a recording script.
#include <QDir>
#include <QLabel>
#include <QScopeGuard>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include "common/NotificationCenter.h"
#include "common/NotificationNames.h"
#include "support/HeldAnswers.h"
#include "support/NetworkTestSupport.h"
#include "support/ScriptHold.h"
#include "networking/OONetWorkTool.h"
#include "uikit/OOToastView.h"
#include "uikit/UiTiming.h"
#include "uikit/WindowInUse.h"
#include "upgrade/HomeUpgradeCheck.h"
#include "upgrade/MupleUpgradeManager.h"
#include "upgrade/NBAboutUpgradeView.h"
#include "upgrade/NBMutipUpgradeModel.h"
#include "upgrade/UpgradeState.h"
#include "upgrade/UpgradeWindowModel.h"

namespace {

class UpgradeDecisionTest : public StandinSuite
{
protected:
    void SetUp() override
    {
        StandinSuite::SetUp();
        s_standin->control(QJsonObject{{QStringLiteral("update_url"), QJsonValue::Null}});
        ASSERT_TRUE(m_dir.isValid());
        QDir(AppPaths::downloadsFolder()).removeRecursively();
        m_script = m_dir.path() + QStringLiteral("/record install.sh");
        m_record = m_dir.path() + QStringLiteral("/record.txt");
        QFile script(m_script);
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > \"$RECORD\"\n"
                     "dpkg-deb -f \"$1\" Package >> \"$RECORD\"\n");
        script.close();
        qputenv("RECORD", m_record.toUtf8());

        m_runner.setScriptPathForTesting(m_script);
        m_runner.setStopProxy([this](std::function<void()> then) { QTimer::singleShot(0, &m_runner, then); });
        m_runner.setStartDetached([this](const UpgradeInstallRunner::Command &) { ++m_relaunches; return true; });
        m_runner.setQuit([] {});
        m_runner.setRestoreProxy([this] { ++m_proxyRestores; });
        m_manager.setInstallRunner(&m_runner);
        m_manager.setPresenter([this](std::unique_ptr<NBMutipUpgradeModel> owned) {
            NBMutipUpgradeModel *dialog = owned.release();
            dialog->setParent(&m_holder);
            QObject::connect(dialog, &NBMutipUpgradeModel::removeRequested, dialog, &QObject::deleteLater);
            m_dialogs << dialog;
            return true;
        });
        m_manager.setDownloader([this](const QString &url, OONetWork::DownloadHandler handler) {
            ++m_downloads;
            OONetWork::shared().download(url, std::move(handler));
        });
        NotificationCenter::defaultCenter().addObserver(NotificationNames::updateCloseTaped, &m_holder,
                                                        [this](const Notification &) { ++m_closeTaped; });
        NotificationCenter::defaultCenter().addObserver(NotificationNames::preUpgradeDownloadSucceed, &m_holder,
                                                        [this](const Notification &n) { m_succeeded << n.userInfo; });
    }

    // The home screen's road: ask the service, hand the answer to the manager.
    void offer(int state, const std::optional<QString> &url = std::nullopt)
    {
        QJsonObject control{{QStringLiteral("update_state"), state}};
        if (url)
            control.insert(QStringLiteral("update_url"), *url);
        ASSERT_TRUE(s_standin->control(control));
        std::optional<QJsonObject> reply;
        bool done = false;
        OONetWorkTool::updateApp([&](std::optional<QJsonObject> r, std::optional<NetError>) { done = true; reply = r; });
        ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, 5000));
        ASSERT_TRUE(reply.has_value());
        ASSERT_TRUE(m_manager.handleUpdateReply(*reply));
    }

    QStringList recorded() const
    {
        QFile file(m_record);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    QStringList downloadsFolderFiles() const
    {
        return QDir(AppPaths::downloadsFolder()).entryList(QDir::Files | QDir::Hidden);
    }

    QTemporaryDir m_dir;
    QString m_script, m_record;
    QObject m_holder;
    UpgradeInstallRunner m_runner;
    MupleUpgradeManager m_manager;
    QList<QPointer<NBMutipUpgradeModel>> m_dialogs;
    int m_downloads = 0;
    int m_relaunches = 0;
    int m_closeTaped = 0;
    int m_proxyRestores = 0;
    QList<QVariantMap> m_succeeded;
};

} // namespace

TEST_F(UpgradeDecisionTest, StatesOneAndTwoDownloadWithProgressThenInstallOnConfirm)
{
    for (int state : {1, 2}) {
        m_dialogs.clear();
        QFile::remove(m_record);
        offer(state, QStringLiteral("/static/ostrel.deb?chunk=100&chunk_delay_ms=40"));
        ASSERT_EQ(m_dialogs.size(), 1) << state;
        QPointer<NBMutipUpgradeModel> dialog = m_dialogs[0];
        EXPECT_EQ(dialog->look().titleText, QStringLiteral("新版本"));
        EXPECT_EQ(dialog->look().tipsText, QStringLiteral("找到最新的版本：9.9.9"));
        EXPECT_TRUE(dialog->installBlock != nullptr);

        bool sawDownloading = false;
        QObject iteration;
        QObject::connect(dialog, &NBMutipUpgradeModel::changed, &iteration, [&, dialog] {
            sawDownloading = sawDownloading || dialog->look().phase == NBMutipUpgradeModel::Phase::Downloading;
        });
        dialog->confirmPressed();
        dialog->confirmPressed();   // a second confirm while it runs starts nothing
        ASSERT_TRUE(QTest::qWaitFor([&] { return dialog->look().phase == NBMutipUpgradeModel::Phase::Install; }, 10000));
        EXPECT_TRUE(sawDownloading);
        EXPECT_EQ(m_downloads, state == 1 ? 1 : 2);
        EXPECT_EQ(downloadsFolderFiles(), QStringList{QStringLiteral("翠鸟通行器Pro.deb")});

        const int relaunchesBefore = m_relaunches;
        dialog->confirmPressed();
        EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.isNull(); }, 5000));
        ASSERT_TRUE(QTest::qWaitFor([&] { return m_relaunches == relaunchesBefore + 1; }, 10000));
        const QStringList seen = recorded();
        ASSERT_EQ(seen.size(), 5);
        EXPECT_EQ(seen[0], QStringLiteral("3"));
        EXPECT_EQ(seen[1], UpgradeInstallRunner::installerPath());
        EXPECT_EQ(seen[4], QStringLiteral("ostrel"));   // what it was handed is our own package
    }
    EXPECT_EQ(m_closeTaped, 0);
}

TEST_F(UpgradeDecisionTest, StateFourInstallsAsSoonAsTheDownloadIsDone)
{
    offer(4);
    ASSERT_EQ(m_dialogs.size(), 1);
    QPointer<NBMutipUpgradeModel> dialog = m_dialogs[0];
    EXPECT_FALSE(dialog->installBlock);
    dialog->confirmPressed();
    dialog->confirmPressed();
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_relaunches == 1; }, 10000));
    EXPECT_EQ(m_downloads, 1);
    EXPECT_EQ(dialog->look().phase, NBMutipUpgradeModel::Phase::Offer);   // no progress shown
    EXPECT_EQ(recorded().value(4), QStringLiteral("ostrel"));
}

TEST_F(UpgradeDecisionTest, StateThreeDownloadsSilentlyAndAnnouncesOnce)
{
    offer(3);
    EXPECT_TRUE(m_dialogs.isEmpty());
    EXPECT_TRUE(m_manager.isDownloading());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m_succeeded.isEmpty(); }, 10000));
    EXPECT_EQ(m_succeeded.size(), 1);
    EXPECT_EQ(upgradeSetting::fromDictionary(m_succeeded[0]), m_manager.settings);
    EXPECT_TRUE(QFileInfo::exists(UpgradeInstallRunner::installerPath()));
    EXPECT_EQ(m_relaunches, 0);

    // Without an address nothing starts, so nothing can be announced.
    offer(3, QString());
    EXPECT_FALSE(m_manager.isDownloading());
    EXPECT_EQ(m_succeeded.size(), 1);
}

TEST_F(UpgradeDecisionTest, OtherStatesSayNoUpgradeAndClosingSaysItOnce)
{
    for (int state : {0, 5, -1}) {
        const int before = m_closeTaped;
        offer(state);
        EXPECT_EQ(m_closeTaped, before + 1) << state;
    }
    EXPECT_TRUE(m_dialogs.isEmpty());
    EXPECT_EQ(m_downloads, 0);

    offer(1);
    ASSERT_EQ(m_dialogs.size(), 1);
    m_dialogs[0]->closeAction();
    EXPECT_EQ(m_closeTaped, 4);

    // An offer that does not decode leaves nothing to show.
    ASSERT_TRUE(m_manager.handleUpdateReply(QJsonObject{{QStringLiteral("data"),
        QJsonObject{{QStringLiteral("settings"), QJsonObject{{QStringLiteral("update_state"), 1}}}}}}));
    EXPECT_FALSE(m_manager.settings.has_value());
    EXPECT_EQ(m_dialogs.size(), 1);
    EXPECT_FALSE(m_manager.handleUpdateReply(QJsonObject{{QStringLiteral("data"), QJsonObject{}}}));
}

TEST_F(UpgradeDecisionTest, UnknownLengthStillEndsInTheInstallPhase)
{
    offer(1, QStringLiteral("/static/ostrel.deb?chunked=1"));
    ASSERT_EQ(m_dialogs.size(), 1);
    QPointer<NBMutipUpgradeModel> dialog = m_dialogs[0];
    dialog->confirmPressed();
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog->look().phase == NBMutipUpgradeModel::Phase::Install; }, 10000));
    EXPECT_TRUE(QFileInfo::exists(UpgradeInstallRunner::installerPath()));
}

TEST_F(UpgradeDecisionTest, AMissingOrBrokenInstallerLeavesNoFileAndNoInstall)
{
    // Failures reach every screen through the one state.
    int failureCount = 0;
    QObject::connect(&m_manager.state(), &UpgradeState::changed, &m_holder, [&] {
        if (m_manager.state().phase() == UpgradeState::Phase::Failed)
            ++failureCount;
    });
    const QStringList broken{QStringLiteral("/static/missing.deb"), QStringLiteral("/static/ostrel.deb?break_at=300"),
                             QStringLiteral("/static/ostrel.deb?chunked=1&break_at=300")};
    for (const QString &url : broken) {
        m_dialogs.clear();
        offer(1, url);
        ASSERT_EQ(m_dialogs.size(), 1);
        QPointer<NBMutipUpgradeModel> dialog = m_dialogs[0];
        const int before = failureCount;
        // The error page's own bytes are no progress: it never reads as a complete installer.
        bool sawInstall = false;
        // The dialogs stay and follow later downloads: the watch ends with this iteration's flag.
        QObject iteration;
        QObject::connect(dialog, &NBMutipUpgradeModel::changed, &iteration, [&sawInstall, dialog] {
            sawInstall = sawInstall || dialog->look().phase == NBMutipUpgradeModel::Phase::Install;
        });
        dialog->confirmPressed();
        ASSERT_TRUE(QTest::qWaitFor([&] { return failureCount == before + 1; }, 10000)) << url.toStdString();
        EXPECT_EQ(dialog->look().phase, NBMutipUpgradeModel::Phase::Offer) << url.toStdString();
        EXPECT_TRUE(dialog->look().failureShown);
        EXPECT_EQ(dialog->look().warnText, m_manager.state().failure());
        EXPECT_TRUE(dialog->look().warnText.startsWith(QStringLiteral("下载失败，请稍后重试")));
        EXPECT_FALSE(sawInstall) << url.toStdString();
        EXPECT_TRUE(downloadsFolderFiles().isEmpty()) << downloadsFolderFiles().join(QLatin1Char(',')).toStdString();
    }
    // State four with a broken installer: no install at all.
    m_dialogs.clear();
    offer(4, QStringLiteral("/static/ostrel.deb?break_at=300"));
    m_dialogs[0]->confirmPressed();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m_manager.isDownloading(); }, 10000));
    QCoreApplication::processEvents();
    EXPECT_EQ(m_relaunches, 0);
    EXPECT_FALSE(QFile::exists(m_record));
}

TEST_F(UpgradeDecisionTest, HomeShowsTheBannerAfterASilentDownloadAndItsDialogInstalls)
{
    UiTimingScope fast(0.01);
    HomeUpgradeCheck home;
    home.setManager(&m_manager);
    QWidget connectArea;
    NBAboutUpgradeView *banner = home.upgradeView(&connectArea);
    connectArea.show();
    EXPECT_FALSE(banner->isVisible());

    ASSERT_TRUE(s_standin->control(QJsonObject{{QStringLiteral("update_state"), 3}}));
    home.requestNeedUpdate();
    ASSERT_TRUE(QTest::qWaitFor([&] { return banner->isVisible(); }, 10000));
    EXPECT_EQ(upgradeSetting::fromDictionary(home.updateConfig())->update_state, 3);

    QTest::mouseClick(banner, Qt::LeftButton);
    ASSERT_EQ(m_dialogs.size(), 1);
    QPointer<NBMutipUpgradeModel> dialog = m_dialogs[0];
    EXPECT_EQ(dialog->look().tipsText, QStringLiteral("找到最新的版本：9.9.9"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog->look().phase == NBMutipUpgradeModel::Phase::ReadyToInstall; }, 5000));
    dialog->confirmPressed();
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_relaunches == 1; }, 10000));
    EXPECT_EQ(recorded().value(4), QStringLiteral("ostrel"));

    // No offer now: the home screen's answer to "updateCloseTaped" refreshes the account.
    const int before = home.accountRefreshes();
    ASSERT_TRUE(s_standin->control(QJsonObject{{QStringLiteral("update_state"), 0}}));
    home.requestNeedUpdate();
    ASSERT_TRUE(QTest::qWaitFor([&] { return home.accountRefreshes() == before + 1; }, 5000));
    EXPECT_TRUE(banner->isVisible());
}

TEST_F(UpgradeDecisionTest, TheWindowAndADialogFollowASilentDownloadAlreadyRunning)
{
    // The stand-in keeps the package's last chunk back until the window and a dialog have come to
    // the download: it still runs then, however slow the machine.
    const HeldAnswers held(*s_standin);
    offer(3, QStringLiteral("/static/ostrel.deb?chunk=100&chunk_delay_ms=40&hold_end=1"));
    ASSERT_TRUE(m_manager.isDownloading());
    EXPECT_EQ(m_manager.state().phase(), UpgradeState::Phase::Downloading);

    // A notice's "update" meanwhile: the window shows the running download, not a dead "0%".
    UpgradeWindowModel window;
    window.setManager(&m_manager);
    window.setStopProxy([] {});
    window.downloadUrl = s_standin->baseUrl() + QStringLiteral("/static/ostrel.deb");
    QObject windowController;
    window.startDownload(&windowController);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.percentText() != QStringLiteral("0%"); }, 10000));
    EXPECT_TRUE(window.ringVisible());

    // "立即更新" of a dialog meanwhile: it shows the same download's progress.
    offer(1, QStringLiteral("/static/ostrel.deb"));
    ASSERT_EQ(m_dialogs.size(), 1);
    QPointer<NBMutipUpgradeModel> dialog = m_dialogs[0];
    dialog->confirmPressed();
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog->look().phase == NBMutipUpgradeModel::Phase::Downloading; }, 5000));
    EXPECT_FALSE(dialog->look().confirmEnabled);

    // One download served all three; the window installs when it ends.
    ASSERT_TRUE(held.waitUntilHeld());
    ASSERT_TRUE(held.release());
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_relaunches == 1; }, 20000));
    EXPECT_EQ(m_downloads, 1);
    EXPECT_EQ(m_succeeded.size(), 1);
    EXPECT_EQ(recorded().value(4), QStringLiteral("ostrel"));
    EXPECT_EQ(dialog->look().phase, NBMutipUpgradeModel::Phase::Install);
}

TEST_F(UpgradeDecisionTest, DialogsAreDisabledWhileAnInstallRunsAndSayWhenItFailed)
{
    // The install runs until the test has seen it refuse a second one, then fails.
    ScriptHold hold(m_dir.filePath(QStringLiteral("release")));
    QFile script(m_script);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly | QIODevice::Truncate));
    script.write("#!/bin/sh\n" + hold.lines() + "exit 1\n");
    script.close();
    QWidget window;
    window.resize(800, 500);
    WindowInUse::setContentWidget(&window);
    const auto noWindow = qScopeGuard([] { WindowInUse::setContentWidget(nullptr); });
    window.show();

    offer(4);
    ASSERT_EQ(m_dialogs.size(), 1);
    QPointer<NBMutipUpgradeModel> dialog = m_dialogs[0];
    dialog->confirmPressed();
    // Its download shows itself as busy although the dialog shows no progress.
    EXPECT_FALSE(dialog->look().confirmEnabled);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_manager.state().phase() == UpgradeState::Phase::Installing; }, 10000));
    EXPECT_FALSE(dialog->look().confirmEnabled);
    EXPECT_EQ(dialog->look().confirmTitle, QStringLiteral("正在安装请稍后"));

    // The banner's dialog opened during the install cannot start a second one.
    m_manager.presentReadyToInstall(m_manager.settings->toDictionary());
    ASSERT_EQ(m_dialogs.size(), 2);
    QPointer<NBMutipUpgradeModel> ready = m_dialogs[1];
    EXPECT_FALSE(ready->look().confirmEnabled);
    ready->confirmPressed();
    QCoreApplication::processEvents();
    EXPECT_EQ(m_manager.state().phase(), UpgradeState::Phase::Installing);
    ASSERT_TRUE(hold.release());

    // The failure is said in the dialog and over the window, and the proxy comes back.
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_manager.state().phase() == UpgradeState::Phase::Failed; }, 10000));
    EXPECT_EQ(m_proxyRestores, 1);
    EXPECT_TRUE(dialog->look().failureShown);
    EXPECT_TRUE(dialog->look().warnText.contains(QStringLiteral("安装失败"))) << dialog->look().warnText.toStdString();
    // Over the window, from the same state and in the same words, once.
    int failureToasts = 0;
    for (OOToastView *toast : window.findChildren<OOToastView *>())
        failureToasts += toast->tipLab()->text() == m_manager.state().failure() ? 1 : 0;
    EXPECT_EQ(failureToasts, 1);
    EXPECT_TRUE(dialog->look().confirmEnabled);
    EXPECT_EQ(m_downloads, 1);
    EXPECT_EQ(m_relaunches, 0);
}

TEST_F(UpgradeDecisionTest, TheBannerGoesWhenAFailedInstallDeletedItsPackage)
{
    HomeUpgradeCheck home;
    home.setManager(&m_manager);
    QWidget connectArea;
    NBAboutUpgradeView *banner = home.upgradeView(&connectArea);
    connectArea.show();
    offer(3, QStringLiteral("/static/installer.dmg?size=4096&chunk_delay_ms=0"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return banner->isVisible(); }, 10000));

    // The script refuses what was downloaded (not our package): it is deleted, the banner goes.
    QFile script(m_script);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly | QIODevice::Truncate));
    script.write("#!/bin/sh\nexit 4\n");
    script.close();
    m_manager.installDownloadedPackage();
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_manager.state().phase() == UpgradeState::Phase::Failed; }, 10000));
    EXPECT_FALSE(QFile::exists(UpgradeInstallRunner::installerPath()));
    EXPECT_FALSE(banner->isVisible());
    EXPECT_EQ(m_proxyRestores, 1);
}

TEST(UpgradeInstallerUrlTest, OnlyHttpsOrLoopbackAddressesAreDownloaded)
{
    auto with = [](const QString &url) {
        upgradeSetting setting;
        setting.update_url = url;
        return MupleUpgradeManager::installerUrl(setting).has_value();
    };
    EXPECT_TRUE(with(QStringLiteral("https://downloads.example.com/ostrel.deb")));
    EXPECT_TRUE(with(QStringLiteral("http://127.0.0.1:8080/static/ostrel.deb")));
    EXPECT_FALSE(with(QStringLiteral("http://downloads.example.com/ostrel.deb")));
    EXPECT_FALSE(with(QStringLiteral("file:///tmp/ostrel.deb")));
    EXPECT_FALSE(with(QStringLiteral("not an address")));
    EXPECT_FALSE(with(QString()));
    EXPECT_FALSE(MupleUpgradeManager::installerUrl(upgradeSetting{}).has_value());
}
