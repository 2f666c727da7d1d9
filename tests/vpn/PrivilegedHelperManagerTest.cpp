// The helper status road: version asked of the installed helper, time-out, install through a
// recording runner in place of pkexec, and the client starting the helper itself.
#include "support/DaemonProcess.h"
#include "support/FileLogText.h"
#include "support/ProcScan.h"
#include "support/ProcessWaits.h"
#include "common/HelperProtocol.h"
#include "vpn/PrivilegedHelperManager.h"
#include "vpn/PrivilegedRunner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

const QString kHelper = QStringLiteral(OSTREL_BINARY_DIR "/bin/ostrel-helper");

struct RecordedRun
{
    QString script;
    QStringList arguments;
};

// Stands in for pkexec: records each run and holds its answer until the test gives it.
class RecordingInstaller : public PrivilegedRunner
{
public:
    QList<RecordedRun> runs;
    Done pending;

protected:
    void execute(const QString &script, const QStringList &arguments, QObject *, Done done) override
    {
        runs.append({script, arguments});
        pending = std::move(done);
    }
};

class PrivilegedHelperManagerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QFile::exists(kHelper)) << "build the ostrel-helper target first";
        ASSERT_TRUE(m_dir.isValid());
        m_options.bundledHelperPath = kHelper;
        m_options.installedHelperPath = m_dir.filePath("installed/ostrel-helper");
        m_options.socketPath = m_dir.filePath("helper.sock");
        m_options.installScriptPath = QStringLiteral(OSTREL_SOURCE_DIR "/resources/scripts/install_helper.sh");
        m_options.launchArguments = {"--backend", "file", "--state-dir", m_dir.filePath("state")};
        m_options.callTimeoutMs = 2000;
        m_options.runner = &m_installer;
    }

    void installHelperFile()
    {
        QDir().mkpath(m_dir.filePath("installed"));
        ASSERT_TRUE(QFile::copy(kHelper, m_options.installedHelperPath));
    }

    bool startDaemon(DaemonProcess &daemon)
    {
        return daemon.start(kHelper, QStringList{"--socket", m_options.socketPath} + m_options.launchArguments,
                            m_options.socketPath);
    }

    // Collects every answer of one status question.
    struct Answers
    {
        QList<HelperStatus> statuses;
        std::function<void(HelperStatus)> callback() { return [this](HelperStatus s) { statuses.append(s); }; }
    };

    QTemporaryDir m_dir;
    PrivilegedHelperManager::Options m_options;
    RecordingInstaller m_installer;
    QList<RecordedRun> &m_runs = m_installer.runs;
    PrivilegedRunner::Done &m_pendingInstall = m_installer.pending;
};

TEST_F(PrivilegedHelperManagerTest, NoInstalledHelperAnswersAtOnceAndInstalls)
{
    PrivilegedHelperManager manager(m_options);
    Answers answers;
    manager.getHelperStatus(answers.callback());
    EXPECT_TRUE(answers.statuses.isEmpty()) << "answered inside the call";
    ASSERT_TRUE(QTest::qWaitFor([&] { return !answers.statuses.isEmpty(); }, 5000));
    EXPECT_EQ(answers.statuses, QList<HelperStatus>{HelperStatus::noFound});
    EXPECT_EQ(manager.connection(), nullptr) << "no connection for a helper that is not there";

    QSignalSpy finished(&manager, &PrivilegedHelperManager::installFinished);
    manager.checkInstall();
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_runs.size() == 1; }, 5000));
    EXPECT_EQ(m_runs.first().script, m_options.installScriptPath);
    EXPECT_EQ(m_runs.first().arguments, QStringList({"--from", kHelper}));
    EXPECT_TRUE(manager.isInstalling());
    manager.checkInstall(); // a second start-up check while the prompt shows asks nothing more
    // Answers come in the order asked, so once a later question is answered the second check's
    // own answer has been acted on.
    Answers barrier;
    manager.getHelperStatus(barrier.callback());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !barrier.statuses.isEmpty(); }, 5000));
    EXPECT_EQ(m_runs.size(), 1);

    m_pendingInstall(true, "install_helper: installed");
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.size() == 1; }, 5000));
    EXPECT_TRUE(finished.first().first().toBool());
    EXPECT_FALSE(manager.isInstalling());
}

TEST_F(PrivilegedHelperManagerTest, SameVersionIsInstalledAndNeedsNoInstall)
{
    DaemonProcess daemon;
    ASSERT_TRUE(startDaemon(daemon));
    // First with nothing at the installed path: a current helper the session runs from elsewhere
    // (as the demo profile does) serves the socket, and is asked all the same.
    for (const bool installed : {false, true}) {
        SCOPED_TRACE(installed ? "installed program" : "socket only");
        if (installed)
            installHelperFile();
        PrivilegedHelperManager manager(m_options);
        EXPECT_EQ(manager.requiredVersion(), QStringLiteral(OSTREL_VERSION)) << "read from the shipped helper";

        Answers answers;
        manager.getHelperStatus(answers.callback());
        ASSERT_TRUE(QTest::qWaitFor([&] { return !answers.statuses.isEmpty(); }, 5000));
        EXPECT_EQ(answers.statuses, QList<HelperStatus>{HelperStatus::installed});

        manager.checkInstall();
        // The helper answers in order: once a later question is answered, the check has decided.
        Answers barrier;
        manager.getHelperStatus(barrier.callback());
        ASSERT_TRUE(QTest::qWaitFor([&] { return !barrier.statuses.isEmpty(); }, 5000));
        EXPECT_TRUE(m_runs.isEmpty());
        // The file log names the manager and its operations as support searches for them.
        const QString log = fileLogText();
        EXPECT_TRUE(log.contains(QStringLiteral("[debug] PrivilegedHelperManager getHelperStatus(callback:) helper version "
                                                OSTREL_VERSION " require version " OSTREL_VERSION)))
            << log.toStdString();
        EXPECT_TRUE(log.contains(QStringLiteral("[debug] PrivilegedHelperManager checkInstall() check result: installed")));
        EXPECT_TRUE(log.contains(QStringLiteral("[info] PrivilegedHelperManager checkInstall() installed")));
    }
}

TEST_F(PrivilegedHelperManagerTest, ASocketPathNoHelperCanServeIsNamedNotInstalledFor)
{
    // One byte longer than a socket can be bound at.
    const qsizetype folder = QFile::encodeName(m_dir.path()).size();
    ASSERT_LT(folder + 1, 107) << qPrintable(m_dir.path());
    m_options.socketPath = m_dir.filePath(QString(107 - folder - 1, u's'));
    // Installed or not, no helper can serve that path: an install would prompt for nothing.
    for (const bool installed : {false, true}) {
        SCOPED_TRACE(installed ? "installed program" : "nothing installed");
        if (installed)
            installHelperFile();
        PrivilegedHelperManager manager(m_options);
        manager.checkInstall();
        // Answers come in the order asked: once a later question is answered, the check has decided.
        Answers barrier;
        manager.getHelperStatus(barrier.callback());
        ASSERT_TRUE(QTest::qWaitFor([&] { return !barrier.statuses.isEmpty(); }, 5000));
        EXPECT_EQ(barrier.statuses, QList<HelperStatus>{HelperStatus::noFound});
        EXPECT_TRUE(m_runs.isEmpty()) << "an install was offered";
        EXPECT_FALSE(manager.isInstalling());
        const QString log = fileLogText();
        EXPECT_TRUE(log.contains(QStringLiteral("[error] PrivilegedHelperManager checkInstall() the helper cannot be reached: "
                                                "the socket path %1 is too long: 107 bytes")
                                     .arg(m_options.socketPath)))
            << log.toStdString();
    }
}

TEST_F(PrivilegedHelperManagerTest, OtherVersionNeedsUpdateAndFailedInstallResetsTheConnection)
{
    installHelperFile();
    DaemonProcess daemon;
    ASSERT_TRUE(startDaemon(daemon));
    m_options.requiredVersion = "99.0.0";
    PrivilegedHelperManager manager(m_options);

    Answers answers;
    manager.getHelperStatus(answers.callback());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !answers.statuses.isEmpty(); }, 5000));
    EXPECT_EQ(answers.statuses, QList<HelperStatus>{HelperStatus::needUpdate});

    QSignalSpy finished(&manager, &PrivilegedHelperManager::installFinished);
    manager.checkInstall();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m_runs.isEmpty(); }, 5000));
    QPointer<HelperClient> before = manager.connection();
    ASSERT_TRUE(before);
    m_pendingInstall(false, "administrator authorisation refused");
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.size() == 1; }, 5000));
    EXPECT_FALSE(finished.first().first().toBool());
    EXPECT_EQ(manager.connection(), nullptr);
    EXPECT_FALSE(manager.isInstalling());

    // The next command opens a fresh connection and still works.
    std::optional<std::optional<HelperError>> reply;
    manager.helper()->disableProxyWithFilterInterface(true, [&reply](const std::optional<HelperError> &e) { reply = e; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return reply.has_value(); }, 5000));
    EXPECT_FALSE(reply->has_value());
}

TEST_F(PrivilegedHelperManagerTest, SilentHelperTimesOutOnceAndALateReplyIsIgnored)
{
    installHelperFile();
    QLocalServer silent;
    ASSERT_TRUE(silent.listen(m_options.socketPath));
    m_options.versionTimeoutMs = 200;
    m_options.callTimeoutMs = 5000;
    m_options.launchArguments.clear();
    PrivilegedHelperManager manager(m_options);

    Answers answers;
    QElapsedTimer clock;
    clock.start();
    manager.getHelperStatus(answers.callback());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !answers.statuses.isEmpty(); }, 3000));
    EXPECT_GE(clock.elapsed(), 190);
    EXPECT_EQ(answers.statuses, QList<HelperStatus>{HelperStatus::noFound});

    // Now the helper answers, too late.
    ASSERT_TRUE(silent.hasPendingConnections() || silent.waitForNewConnection(1000));
    QLocalSocket *peer = silent.nextPendingConnection();
    ASSERT_TRUE(peer);
    ASSERT_TRUE(QTest::qWaitFor([&] { return peer->canReadLine(); }, 2000));
    peer->readLine();
    // A command asked after the time-out is answered right behind the late reply, on the same
    // stream: once its answer is in, the late reply has been read and had its chance to count.
    std::optional<std::optional<HelperError>> behind;
    manager.helper()->disableProxyWithFilterInterface(true, [&behind](const std::optional<HelperError> &e) { behind = e; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return peer->canReadLine(); }, 2000));
    const QJsonObject command = QJsonDocument::fromJson(peer->readLine()).object();
    const qint64 commandId = command.value(QStringLiteral("id")).toInteger();
    ASSERT_NE(commandId, 1);
    peer->write("{\"id\":1,\"result\":\"" OSTREL_VERSION "\"}\n");
    peer->write("{\"id\":" + QByteArray::number(commandId) + ",\"result\":null}\n");
    peer->flush();
    ASSERT_TRUE(QTest::qWaitFor([&] { return behind.has_value(); }, 3000));
    EXPECT_FALSE(behind->has_value()) << (*behind)->text().toStdString();
    EXPECT_EQ(answers.statuses.size(), 1);
}

TEST_F(PrivilegedHelperManagerTest, TheShippedHelpersOwnVersionIsTheRequiredOne)
{
    // The version comes from the shipped helper's file, whatever version the client is.
    const QString shipped = m_dir.filePath("shipped-helper");
    const auto ship = [&](const QByteArray &content) {
        QFile file(shipped);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
    };
    m_options.bundledHelperPath = shipped;
    ship(QByteArray("\x7f" "ELF...") + OSTREL_HELPER_INFO_MARKER + QByteArray(1, '\0') + "..."
         + OSTREL_HELPER_INFO_MARKER "9.8.7\n" + "...");
    EXPECT_EQ(PrivilegedHelperManager(m_options).requiredVersion(), QStringLiteral("9.8.7"));

    // Missing, or a program that carries no version: noFound, and the log says why.
    for (const QString &path : {m_dir.filePath("nowhere/ostrel-helper"), shipped}) {
        SCOPED_TRACE(path.toStdString());
        ship("#!/bin/sh\nexit 0\n");
        m_options.bundledHelperPath = path;
        PrivilegedHelperManager manager(m_options);
        EXPECT_TRUE(manager.requiredVersion().isEmpty());
        Answers answers;
        manager.getHelperStatus(answers.callback());
        ASSERT_TRUE(QTest::qWaitFor([&] { return !answers.statuses.isEmpty(); }, 5000));
        EXPECT_EQ(answers.statuses, QList<HelperStatus>{HelperStatus::noFound});
        EXPECT_TRUE(fileLogText().contains(
            QStringLiteral("[info] PrivilegedHelperManager getHelperStatus(callback:) check helper status fail")));
    }
}

TEST_F(PrivilegedHelperManagerTest, SlowHelperIsFoundWithinTheVersionTimeOut)
{
    // The helper answers its version only after an ordinary command would have timed out: it is
    // there, so no install (and no administrator prompt) follows.
    installHelperFile();
    QLocalServer slow;
    ASSERT_TRUE(slow.listen(m_options.socketPath));
    m_options.callTimeoutMs = 200;
    m_options.versionTimeoutMs = 5000;
    m_options.launchArguments.clear();
    PrivilegedHelperManager manager(m_options);

    Answers answers;
    manager.getHelperStatus(answers.callback());
    std::optional<std::optional<HelperError>> ordinary;
    manager.helper()->disableProxyWithFilterInterface(true, [&ordinary](const std::optional<HelperError> &e) { ordinary = e; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return ordinary.has_value(); }, 3000));
    EXPECT_TRUE(ordinary->has_value()) << "the ordinary command timed out";
    EXPECT_TRUE(answers.statuses.isEmpty());

    ASSERT_TRUE(slow.hasPendingConnections() || slow.waitForNewConnection(1000));
    QLocalSocket *peer = slow.nextPendingConnection();
    ASSERT_TRUE(peer);
    peer->write("{\"id\":1,\"result\":\"" OSTREL_VERSION "\"}\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !answers.statuses.isEmpty(); }, 3000));
    EXPECT_EQ(answers.statuses, QList<HelperStatus>{HelperStatus::installed});
}

TEST_F(PrivilegedHelperManagerTest, ClientStartsTheInstalledHelperWhenNothingAnswers)
{
    installHelperFile();
    // Held open as the client's log file and its web engine's files are: inheritable.
    const QByteArray clientFile = QFile::encodeName(m_dir.filePath("client-file"));
    const int held = ::open(clientFile.constData(), O_CREAT | O_RDWR, 0600);
    ASSERT_GE(held, 3);
    const auto closeHeld = qScopeGuard([held] { ::close(held); });
    PrivilegedHelperManager manager(m_options);
    Answers answers;
    manager.getHelperStatus(answers.callback());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !answers.statuses.isEmpty(); }, 8000));
    EXPECT_EQ(answers.statuses, QList<HelperStatus>{HelperStatus::installed});
    const pid_t launched = pid_t(manager.connection()->lastLaunchedPid());
    ASSERT_GT(launched, 0);
    // The helper outlives the client: it keeps none of the client's files open.
    for (const auto &[fd, target] : ProcScan::descriptors(launched))
        EXPECT_NE(target, QFile::encodeName(clientFile).toStdString()) << "descriptor " << fd;
    ::kill(launched, SIGTERM);
    // Detached, it still descends from this program, the reaper of everything its tests start
    // (TestMain): ended, it stays a zombie until the program reaps it at exit, so gone or a
    // zombie is done.
    EXPECT_TRUE(ProcessWaits::gone(launched));
}

} // namespace

namespace {

TEST_F(PrivilegedHelperManagerTest, SharedManagerTakesTheConfiguredHelper)
{
    DaemonProcess daemon;
    ASSERT_TRUE(startDaemon(daemon));
    PrivilegedHelperManager::configureShared(m_options);
    PrivilegedHelperManager &shared = PrivilegedHelperManager::shared();
    EXPECT_EQ(shared.options().socketPath, m_options.socketPath);
    QString version;
    shared.helper()->getVersion([&version](const std::optional<QString> &v) { version = v.value_or(QString()); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return !version.isEmpty(); }, 5000));
    EXPECT_EQ(version, QStringLiteral(OSTREL_VERSION));
}

} // namespace

namespace {

TEST_F(PrivilegedHelperManagerTest, RootRunsTheScriptItCheckedNotTheLinkItWasGiven)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "the script is only run directly (without pkexec) as root";
    // A root-owned script reached through a link: whoever owns a link on the way could turn it
    // elsewhere between the ownership check and the start.
    QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/ostrel-install-XXXXXX"));
    ASSERT_TRUE(folder.isValid());
    ASSERT_TRUE(QDir().mkpath(folder.filePath("real")));
    const QString record = folder.filePath("ran-as");
    const QString script = folder.filePath("real/install.sh");
    {
        QFile file(script);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("#!/bin/bash\nprintf '%s' \"$0\" > '%1'\n").arg(record).toUtf8());
    }
    ASSERT_TRUE(QFile::link(folder.filePath("real"), folder.filePath("link")));

    m_options.runner = nullptr;
    PrivilegedHelperManager manager(m_options);
    std::optional<bool> result;
    manager.legacyInstallHelper(folder.filePath("link/install.sh"), [&result](bool ok) { result = ok; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, 5000));
    EXPECT_TRUE(*result);
    QFile ran(record);
    ASSERT_TRUE(ran.open(QIODevice::ReadOnly));
    EXPECT_EQ(ran.readAll().toStdString(), QFileInfo(script).canonicalFilePath().toStdString());
}

} // namespace
