// The daemon's socket and its peers: a process of another user that reaches the socket gets the
// connection closed without a reply (needs root to become another user, as CI runs); a server
// that goes while a client still holds its connection hands that client's end to nobody.
#include "helper/FileProxyBackend.h"
#include "helper/HelperServer.h"
#include "helper/ProxyConfigService.h"
#include "helper/SavedProxyState.h"
#include "support/OtherUsers.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <grp.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr uid_t kNobody = 65534;

enum ChildResult { GotReply = 10, NoReply = 11, CannotConnect = 12, CannotSwitchUser = 13 };

// Runs in the forked child: plain system calls only.
[[noreturn]] void talkAs(const QByteArray &socketPath, bool switchUser)
{
    if (switchUser && (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
        ::_exit(CannotSwitchUser);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socketPath.constData(), sizeof(address.sun_path) - 1);
    if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)) != 0)
        ::_exit(CannotConnect);
    const char request[] = "{\"id\":1,\"method\":\"getVersion\"}\n";
    [[maybe_unused]] const ssize_t sent = ::write(fd, request, sizeof(request) - 1);
    char buffer[256];
    const ssize_t got = ::read(fd, buffer, sizeof(buffer));
    ::_exit(got > 0 ? GotReply : NoReply);
}

int runChild(const QString &socketPath, bool switchUser)
{
    const QByteArray path = QFile::encodeName(socketPath);
    const pid_t pid = ::fork();
    if (pid == 0)
        talkAs(path, switchUser);
    int status = 0;
    if (QTest::qWaitFor([&] { return ::waitpid(pid, &status, WNOHANG) == pid; }, 10000))
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    return -1;
}

TEST(HelperPeerTest, AnotherUsersProcessGetsNoAnswer)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to run a process as another user";
    if (!userIsMapped(kNobody))
        GTEST_SKIP() << "this user namespace has no user " << kNobody << " to run a process as";

    // A folder and socket everyone can reach, so only the peer check stands in the way.
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/ostrel-peer-XXXXXX"));
    ASSERT_TRUE(dir.isValid());
    if (!otherUsersCanReach(dir.path()))
        GTEST_SKIP() << "another user cannot reach the temporary folder (TMPDIR) " << qPrintable(QDir::tempPath());
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                          | QFileDevice::ExeGroup | QFileDevice::ExeOther);
    FileProxyBackend backend(dir.filePath("settings.json"));
    SavedProxyState state(dir.filePath("state"));
    ProxyConfigService service(backend, state, QStringLiteral("1.0"));
    HelperServer server(service);
    server.setSocketOptions(QLocalServer::WorldAccessOption);
    QString error;
    ASSERT_TRUE(server.listen(dir.filePath("helper.sock"), &error)) << error.toStdString();
    qint64 refusedUid = -1;
    QObject::connect(&server, &HelperServer::peerRefused, [&refusedUid](qint64 uid) { refusedUid = uid; });

    EXPECT_EQ(runChild(dir.filePath("helper.sock"), false), GotReply) << "the owner is answered";
    EXPECT_EQ(runChild(dir.filePath("helper.sock"), true), NoReply);
    EXPECT_EQ(refusedUid, kNobody);
}

// The helper's way out restores the user's settings and then lets the server go while clients
// may still hold their connections. Their sockets close with it: that end must reach neither the
// server, half gone by then, nor the service as a client's end, which would restore (or drop) the
// settings again behind the decided restore.
TEST(HelperPeerTest, AServerThatGoesUnderAConnectedClientTakesNoClientsEnd)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString settings = dir.filePath("settings.json");
    FileProxyBackend backend(settings);
    SavedProxyState state(dir.filePath("state"));
    ProxyConfigService service(backend, state, QStringLiteral("1.0"));
    auto server = std::make_unique<HelperServer>(service);
    QString error;
    ASSERT_TRUE(server->listen(dir.filePath("helper.sock"), &error)) << error.toStdString();

    // A client that asked for the restore at its end, and whose enable is in place.
    QLocalSocket client;
    client.connectToServer(dir.filePath("helper.sock"));
    ASSERT_TRUE(client.waitForConnected(5000));
    client.write(R"({"id":1,"method":"setRestoreOnClientEnd","params":{"restore":true}})"
                 "\n"
                 R"({"id":2,"method":"enableProxy","params":{"port":9999,"socksPort":9999}})"
                 "\n");
    QByteArrayList replies;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        while (client.canReadLine())
            replies << client.readLine();
        return replies.size() == 2;
    }, 5000));
    EXPECT_FALSE(replies.join().contains("error")) << replies.join().constData();
    QFile file(settings);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray applied = file.readAll();
    file.close();
    ASSERT_TRUE(applied.contains("9999"));

    server.reset();
    ASSERT_TRUE(QTest::qWaitFor([&] { return client.state() == QLocalSocket::UnconnectedState; }, 5000));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), applied) << "a restore was attempted at the server's end";
    EXPECT_TRUE(state.exists());
}

// A socket the session's service manager handed over stays reachable after the helper ends: the
// manager listens on it for the session and starts the helper again at the next connect.
TEST(HelperPeerTest, AHandedOverSocketStaysReachableAfterTheEnd)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    FileProxyBackend backend(dir.filePath("settings.json"));
    SavedProxyState state(dir.filePath("state"));
    ProxyConfigService service(backend, state, QStringLiteral("1.0"));
    const QByteArray path = QFile::encodeName(dir.filePath("helper.sock"));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(size_t(path.size()), sizeof(address.sun_path));
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    const int manager = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(manager, 0);
    ASSERT_EQ(::bind(manager, reinterpret_cast<const sockaddr *>(&address), sizeof(address)), 0);
    ASSERT_EQ(::listen(manager, 4), 0);
    {
        HelperServer server(service);
        QString error;
        ASSERT_TRUE(server.listenOnDescriptor(::dup(manager), &error)) << error.toStdString();
    }
    QLocalSocket client;
    client.connectToServer(QString::fromLocal8Bit(path));
    EXPECT_TRUE(client.waitForConnected(5000)) << client.errorString().toStdString();
    EXPECT_FALSE(QFile::exists(QString::fromLocal8Bit(path + ".kept")));
    ::close(manager);
}

} // namespace
