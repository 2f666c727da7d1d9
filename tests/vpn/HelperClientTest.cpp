// The client's end of the helper socket: every command gets exactly one answer, also when the
// helper is gone or silent, so no road waits forever.
#include "support/DaemonProcess.h"
#include "support/FileLogText.h"
#include "support/OtherUsers.h"
#include "vpn/HelperClient.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLocalServer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <grp.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QString kHelper = QStringLiteral(OSTREL_BINARY_DIR "/bin/ostrel-helper");
const QStringList kExceptions = {"127.0.0.1", "localhost", "192.168.0.0/16", "10.0.0.0/8", "FE80::/64", "::1", "FD00::/8"};

using Reply = std::optional<std::optional<HelperError>>;
using Kind = HelperError::Kind;

ProxyConfigRemoteProcessProtocol::ErrorReply into(Reply &slot)
{
    return [&slot](const std::optional<HelperError> &error) { slot = error; };
}

class HelperClientTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_options.socketPath = m_dir.filePath("helper.sock");
        m_options.callTimeoutMs = 2000;
    }

    QTemporaryDir m_dir;
    HelperClient::Options m_options;
};

TEST_F(HelperClientTest, CommandsReachTheDaemonAndItsRefusalsComeBack)
{
    DaemonProcess daemon;
    ASSERT_TRUE(daemon.start(kHelper, {"--socket", m_options.socketPath, "--backend", "file", "--state-dir", m_dir.filePath("state")},
                             m_options.socketPath));
    HelperClient client(m_options);

    Reply enabled, refused, disabled;
    std::optional<QString> version;
    QJsonObject current;
    client.getVersion([&version](const std::optional<QString> &v) { version = v; });
    client.enableProxyWithPort(9999, 9999, std::nullopt, std::nullopt, true, kExceptions, into(enabled));
    client.enableProxyWithPort(0, 9999, std::nullopt, std::nullopt, true, kExceptions, into(refused));
    client.getCurrentProxySetting([&current](const std::optional<QJsonObject> &s) { current = s.value_or(QJsonObject()); });
    client.disableProxyWithFilterInterface(true, into(disabled));
    ASSERT_TRUE(QTest::qWaitFor([&] { return disabled.has_value(); }, 5000));

    EXPECT_EQ(version, QStringLiteral(OSTREL_VERSION));
    ASSERT_TRUE(enabled.has_value());
    EXPECT_FALSE(enabled->has_value());
    ASSERT_TRUE(refused.has_value() && refused->has_value());
    EXPECT_TRUE((*refused)->text().contains("port"));
    EXPECT_EQ((*refused)->kind(), Kind::Refused);
    EXPECT_EQ(current.value("socks_port").toInt(), 9999);
    EXPECT_EQ(current.value("ignore_hosts").toArray().size(), kExceptions.size());
    EXPECT_FALSE(disabled->has_value());
}

TEST_F(HelperClientTest, UnreachableHelperAnswersWithAnError)
{
    HelperClient client(m_options);
    QStringList failures;
    client.setFailureHandler([&failures](const QString &reason) { failures.append(reason); });
    Reply reply;
    std::optional<std::optional<QString>> version;
    std::optional<std::optional<QJsonObject>> settings;
    client.getVersion([&version](const std::optional<QString> &v) { version = v; });
    client.getCurrentProxySetting([&settings](const std::optional<QJsonObject> &s) { settings = s; });
    client.disableProxyWithFilterInterface(true, into(reply));
    EXPECT_FALSE(reply.has_value()) << "never answered inside the call";
    EXPECT_FALSE(version.has_value()) << "never answered inside the call";
    ASSERT_TRUE(QTest::qWaitFor([&] { return reply.has_value() && version.has_value() && settings.has_value(); }, 3000));
    ASSERT_TRUE(reply->has_value());
    EXPECT_TRUE((*reply)->text().contains("could not be reached"));
    EXPECT_EQ((*reply)->kind(), Kind::Unreachable);
    // The questions without an error channel are answered too: with nothing.
    EXPECT_FALSE(version->has_value());
    EXPECT_FALSE(settings->has_value());
    EXPECT_FALSE(failures.isEmpty());

    // At a path no socket can have, the reason names it, and no helper is started for it.
    m_options.socketPath = m_dir.filePath(QString(108, u'x'));
    m_options.launchProgram = kHelper;
    m_options.launchArguments = {"--socket", m_options.socketPath, "--backend", "file", "--state-dir", m_dir.path()};
    HelperClient tooLong(m_options);
    tooLong.setFailureHandler([&failures](const QString &reason) { failures.append(reason); });
    Reply unreached;
    tooLong.disableProxyWithFilterInterface(true, into(unreached));
    ASSERT_TRUE(QTest::qWaitFor([&] { return unreached.has_value(); }, 5000));
    ASSERT_TRUE(unreached->has_value());
    EXPECT_TRUE((*unreached)->text().contains(m_options.socketPath + " is too long")) << (*unreached)->text().toStdString();
    EXPECT_EQ(failures.constLast(), (*unreached)->text()) << "the text the client's log gets";
    EXPECT_EQ(tooLong.lastLaunchedPid(), 0);
}

TEST_F(HelperClientTest, SilentHelperTimesOutAndAVanishingOneFailsItsCalls)
{
    QLocalServer server;
    ASSERT_TRUE(server.listen(m_options.socketPath));
    m_options.callTimeoutMs = 150;
    HelperClient client(m_options);
    Reply slow;
    client.disableProxyWithFilterInterface(true, into(slow));
    ASSERT_TRUE(QTest::qWaitFor([&] { return slow.has_value(); }, 2000));
    ASSERT_TRUE(slow->has_value());
    EXPECT_TRUE((*slow)->text().contains("in time"));
    EXPECT_EQ((*slow)->kind(), Kind::NoAnswer);

    QLocalServer vanishing;
    m_options.socketPath = m_dir.filePath("vanishing.sock");
    ASSERT_TRUE(vanishing.listen(m_options.socketPath));
    m_options.callTimeoutMs = 5000;
    HelperClient second(m_options);
    QSignalSpy gone(&second, &ProxyConfigRemoteProcessProtocol::wentAway);
    Reply dropped;
    second.disableProxyWithFilterInterface(true, into(dropped));
    ASSERT_TRUE(QTest::qWaitFor([&] { return vanishing.hasPendingConnections(); }, 2000));
    QLocalSocket *peer = vanishing.nextPendingConnection();
    ASSERT_TRUE(peer);
    // The helper vanishes with the call in flight: it has the request, and no answer comes.
    ASSERT_TRUE(QTest::qWaitFor([&] { return peer->canReadLine(); }, 2000));
    peer->abort();
    ASSERT_TRUE(QTest::qWaitFor([&] { return dropped.has_value(); }, 2000));
    ASSERT_TRUE(dropped->has_value());
    EXPECT_TRUE((*dropped)->text().contains("closed"));
    EXPECT_EQ((*dropped)->kind(), Kind::WentAway);
    EXPECT_EQ(gone.size(), 1);
}

TEST_F(HelperClientTest, AReplyPastTheBoundBreaksTheConnectionWithoutCountingAsARefusal)
{
    QLocalServer server;
    ASSERT_TRUE(server.listen(m_options.socketPath));
    HelperClient client(m_options);
    QSignalSpy gone(&client, &ProxyConfigRemoteProcessProtocol::wentAway);
    Reply broken;
    client.disableProxyWithFilterInterface(true, into(broken));
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.hasPendingConnections(); }, 2000));
    QLocalSocket *peer = server.nextPendingConnection();
    ASSERT_TRUE(peer);
    // The request arrived, so the helper may have carried it out; its reply never ends.
    ASSERT_TRUE(QTest::qWaitFor([&] { return peer->canReadLine(); }, 2000));
    peer->write(QByteArray(1100 * 1024, 'x'));
    ASSERT_TRUE(QTest::qWaitFor([&] { return broken.has_value(); }, 5000));
    ASSERT_TRUE(broken->has_value());
    EXPECT_EQ(**broken, HelperError::invalidated());
    EXPECT_EQ((*broken)->kind(), Kind::WentAway);
    EXPECT_EQ(gone.size(), 1);
}

TEST_F(HelperClientTest, RepliesWithIdsWeNeverSentAnswerNothing)
{
    QLocalServer server;
    ASSERT_TRUE(server.listen(m_options.socketPath));
    HelperClient client(m_options);
    QString version;
    client.getVersion([&version](const std::optional<QString> &v) { version = v.value_or(QString()); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.hasPendingConnections(); }, 2000));
    QLocalSocket *peer = server.nextPendingConnection();
    ASSERT_TRUE(peer);
    peer->write("{\"id\":1.5,\"result\":\"fraction\"}\n{\"id\":1e300,\"result\":\"huge\"}\n"
                "{\"id\":-9e18,\"result\":\"negative\"}\n{\"id\":1,\"result\":\"1.2.3\"}\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !version.isEmpty(); }, 2000));
    EXPECT_EQ(version, QStringLiteral("1.2.3"));
}

// Runs in a forked child as another user: listens where the client looks for its helper and
// answers every request as if it were the helper. Plain system calls only. It binds at `bound`
// and moves the socket to `socketPath` once it listens: the test takes that file for a listening
// impostor, and a connection between bind and listen would be refused.
[[noreturn]] void impostor(const QByteArray &socketPath, const QByteArray &bound)
{
    constexpr uid_t kNobody = 65534;
    if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
        ::_exit(3);
    const int server = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, bound.constData(), sizeof(address.sun_path) - 1);
    if (::bind(server, reinterpret_cast<sockaddr *>(&address), sizeof(address)) != 0 || ::listen(server, 4) != 0)
        ::_exit(4);
    ::chmod(bound.constData(), 0777);
    if (::rename(bound.constData(), socketPath.constData()) != 0)
        ::_exit(5);
    for (;;) {
        const int peer = ::accept(server, nullptr, nullptr);
        if (peer < 0)
            continue;
        char buffer[4096];
        if (::read(peer, buffer, sizeof(buffer)) > 0) {
            const char reply[] = "{\"id\":1,\"result\":\"9.9.9\"}\n{\"id\":2}\n";
            [[maybe_unused]] const ssize_t sent = ::write(peer, reply, sizeof(reply) - 1);
        }
        ::close(peer);
    }
}

TEST_F(HelperClientTest, HelperSocketOfAnotherUserIsNotBelieved)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to run a process as another user";
    if (!userIsMapped(65534))
        GTEST_SKIP() << "this user namespace has no user 65534 to run a process as";
    // A shared folder, as the temporary folder is where there is no runtime folder.
    QTemporaryDir shared(QDir::tempPath() + QStringLiteral("/ostrel-impostor-XXXXXX"));
    ASSERT_TRUE(shared.isValid());
    if (!otherUsersCanReach(shared.path()))
        GTEST_SKIP() << "another user cannot reach the temporary folder (TMPDIR) " << qPrintable(QDir::tempPath());
    ASSERT_EQ(::chmod(QFile::encodeName(shared.path()).constData(), 01777), 0);
    m_options.socketPath = shared.filePath("helper.sock");
    const QByteArray path = QFile::encodeName(m_options.socketPath);
    const QByteArray bound = path + ".part";
    const pid_t child = ::fork();
    if (child == 0)
        impostor(path, bound);
    ASSERT_GT(child, 0);
    const bool listening = QTest::qWaitFor([&] { return QFile::exists(m_options.socketPath); }, 5000);

    HelperClient client(m_options);
    std::optional<QString> version;
    Reply disabled;
    client.getVersion([&version](const std::optional<QString> &v) { version = v; });
    client.disableProxyWithFilterInterface(true, into(disabled));
    const bool answered = QTest::qWaitFor([&] { return disabled.has_value(); }, 3000);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);

    ASSERT_TRUE(listening) << "the impostor never listened";
    ASSERT_TRUE(answered);
    ASSERT_TRUE(disabled->has_value()) << "another user's word was taken for a disabled proxy";
    EXPECT_TRUE((*disabled)->text().contains("another user"));
    EXPECT_EQ((*disabled)->kind(), Kind::Unreachable);
    EXPECT_FALSE(version.has_value());
}

} // namespace

TEST_F(HelperClientTest, OwnerMayDropTheClientInsideAReply)
{
    // Two answers in one read: the first one's reply drops the client while the rest of the
    // read is still being worked through.
    QLocalServer server;
    ASSERT_TRUE(server.listen(m_options.socketPath));
    auto client = std::make_unique<HelperClient>(m_options);
    QString version;
    Reply second;
    client->getVersion([&](const std::optional<QString> &v) {
        version = v.value_or(QString());
        client.reset();
    });
    client->disableProxyWithFilterInterface(true, into(second));
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.hasPendingConnections(); }, 2000));
    QLocalSocket *peer = server.nextPendingConnection();
    ASSERT_TRUE(peer);
    ASSERT_TRUE(QTest::qWaitFor([&] { return peer->bytesAvailable() > 0 || peer->waitForReadyRead(50); }, 2000));
    peer->write("{\"id\":1,\"result\":\"1.2.3\"}\n{\"id\":2}\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !client; }, 2000));
    EXPECT_EQ(version, QStringLiteral("1.2.3"));
    EXPECT_FALSE(second.has_value());   // its owner is gone: nothing more is answered

    // The same when the helper vanishes with two calls in flight.
    client = std::make_unique<HelperClient>(m_options);
    int failures = 0;
    auto dropOnFailure = [&](const std::optional<HelperError> &) {
        ++failures;
        client.reset();
    };
    client->disableProxyWithFilterInterface(true, dropOnFailure);
    client->disableProxyWithFilterInterface(true, dropOnFailure);
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.hasPendingConnections(); }, 2000));
    peer = server.nextPendingConnection();
    ASSERT_TRUE(peer);
    ASSERT_TRUE(QTest::qWaitFor([&] { return peer->bytesAvailable() > 0 || peer->waitForReadyRead(50); }, 2000));
    peer->abort();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !client; }, 2000));
    // Whatever the gone client had queued for the second call was posted before this.
    bool drained = false;
    QMetaObject::invokeMethod(QCoreApplication::instance(), [&drained] { drained = true; }, Qt::QueuedConnection);
    ASSERT_TRUE(QTest::qWaitFor([&] { return drained; }, 2000));
    EXPECT_EQ(failures, 1);
}

TEST_F(HelperClientTest, SlowVersionAnswerIsAcceptedWithinItsOwnTimeOut)
{
    // A helper that takes longer than an ordinary command may, but answers its version within
    // the version's own time-out, is found, not missing (which would mean a reinstall prompt).
    m_options.callTimeoutMs = 200;
    m_options.versionTimeoutMs = 3000;
    QLocalServer server;
    ASSERT_TRUE(server.listen(m_options.socketPath));
    HelperClient client(m_options);
    std::optional<std::optional<QString>> version;
    Reply disabled;
    client.getVersion([&version](const std::optional<QString> &v) { version = v; });
    client.disableProxyWithFilterInterface(true, into(disabled));
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.hasPendingConnections(); }, 2000));
    QLocalSocket *peer = server.nextPendingConnection();
    ASSERT_TRUE(peer);
    // The ordinary command times out first; the version answer comes after that.
    ASSERT_TRUE(QTest::qWaitFor([&] { return disabled.has_value(); }, 2000));
    ASSERT_TRUE(disabled->has_value());
    EXPECT_FALSE(version.has_value());
    peer->write("{\"id\":1,\"result\":\"1.2.3\"}\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return version.has_value(); }, 2000));
    EXPECT_EQ(*version, QStringLiteral("1.2.3"));
}

// The helper says how a restore ended: the saved setting back whole, the user's own keys kept,
// nothing of the client's in place, or its copy of the user's setting lost and the desktop set to
// no proxy where it named the listener. The client's file log says which; an older helper's bare
// null says only that it confirmed. Key names come from another process: one that would start a
// line of its own in the log stays on the disable's line.
TEST_F(HelperClientTest, TheLogSaysHowTheRestoreEnded)
{
    QLocalServer server;
    ASSERT_TRUE(server.listen(m_options.socketPath));
    HelperClient client(m_options);
    QLocalSocket *peer = nullptr;
    Reply done;
    // Asks for a restore, has the stand-in answer it with `answer` (the reply's members after its
    // id) and gives back what the file log gained meanwhile, or nothing when the round failed.
    auto logOfARestoreAnswered = [&](const QByteArray &answer) -> std::optional<QString> {
        const QString before = fileLogText();
        done.reset();
        client.disableProxyWithFilterInterface(true, into(done));
        if (!peer) {
            if (!QTest::qWaitFor([&] { return server.hasPendingConnections(); }, 5000))
                return std::nullopt;
            peer = server.nextPendingConnection();
        }
        if (!QTest::qWaitFor([&] { return peer->canReadLine(); }, 5000))
            return std::nullopt;
        const QJsonObject request = QJsonDocument::fromJson(peer->readLine()).object();
        if (request.value(QStringLiteral("method")).toString() != QLatin1String("disableProxy"))
            return std::nullopt;
        peer->write("{\"id\":" + QByteArray::number(request.value(QStringLiteral("id")).toInteger()) + ',' + answer + "}\n");
        if (!QTest::qWaitFor([&] { return done.has_value(); }, 5000))
            return std::nullopt;
        return fileLogText().mid(before.size());
    };
    const QString line = QStringLiteral("[info] HelperClient.cpp HelperClient::disableProxyWithFilterInterface ");
    const QString back = QStringLiteral("the desktop proxy is back as before the connect");
    const QString kept = QStringLiteral("the desktop proxy is back; the user's own change stays: ");
    struct Row
    {
        const char *answer;
        QString logged;
    };
    const Row rows[] = {
        {R"("result":null)", QStringLiteral("the helper confirmed the restore of the desktop proxy\n")},
        {R"("result":{"outcome":"whole","usersOwnKept":[]})", back + '\n'},
        {R"("result":{"outcome":"usersOwnKept","usersOwnKept":["mode","ignore-hosts"]})", kept + "mode, ignore-hosts\n"},
        {R"("result":{"usersOwnKept":["mode"]})", kept + "mode\n"},
        {R"("result":{"outcome":"nothingSaved","usersOwnKept":[]})",
         QStringLiteral("the desktop proxy held nothing of the client's; nothing to restore\n")},
        {R"("result":{"outcome":"copyLost","usersOwnKept":[]})",
         QStringLiteral("the helper lost its copy of the user's proxy setting; where the desktop proxy named the client's "
                        "listener it is set to no proxy\n")},
    };
    for (const Row &row : rows) {
        const std::optional<QString> logged = logOfARestoreAnswered(row.answer);
        ASSERT_TRUE(logged) << row.answer;
        EXPECT_TRUE(logged->contains(line + row.logged)) << row.answer << "\n" << logged->toStdString();
        EXPECT_EQ(logged->contains(back), row.logged == back + '\n') << row.answer << "\n" << logged->toStdString();
    }

    const std::optional<QString> forged
        = logOfARestoreAnswered(R"("result":{"outcome":"usersOwnKept","usersOwnKept":["mode","ignore-hosts\n[info] forged line"]})");
    ASSERT_TRUE(forged);
    EXPECT_TRUE(forged->contains(line + kept + QStringLiteral("mode, ignore-hosts\\n[info] forged line\n")))
        << forged->toStdString();
    for (const QString &logLine : forged->split(u'\n'))
        EXPECT_FALSE(logLine.startsWith(QStringLiteral("[info] forged"))) << forged->toStdString();

    // A refused restore gave nothing back: no such line.
    const std::optional<QString> refused = logOfARestoreAnswered(R"("error":"no saved settings")");
    ASSERT_TRUE(refused);
    EXPECT_FALSE(refused->contains(QStringLiteral("the desktop proxy is back"))) << refused->toStdString();
    EXPECT_EQ(done->value().kind(), Kind::Refused);

    // One the store has not taken yet, which the helper goes on with: told apart from a refusal.
    ASSERT_TRUE(logOfARestoreAnswered(R"("error":"did not land","restoreWaits":true)"));
    EXPECT_EQ(done->value(), HelperError::restoreWaits(QStringLiteral("did not land")));
}
