// The daemon answers its own user only: a process of another user that reaches the socket gets
// the connection closed without a reply. Needs root to become another user, as CI runs.
#include "helper/FileProxyBackend.h"
#include "helper/HelperServer.h"
#include "helper/ProxyConfigService.h"
#include "helper/SavedProxyState.h"
#include "support/OtherUsers.h"

#include <QCoreApplication>
#include <QDir>
#include <QTest>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>
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

} // namespace
