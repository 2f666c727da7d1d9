// The helper daemon as the client meets it: the real executable on a temporary socket with the
// file backend, so every test can read what it would have set on a desktop.
#include "support/DaemonProcess.h"

#include "common/HelperProtocol.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

const QString kHelper = QStringLiteral(OSTREL_BINARY_DIR "/bin/ostrel-helper");

const QJsonArray kExceptions = {"127.0.0.1", "localhost", "192.168.0.0/16", "10.0.0.0/8", "FE80::/64", "::1", "FD00::/8"};

QJsonObject userOwnSettings()
{
    return {{"mode", "manual"}, {"socks_host", "proxy.example.org"}, {"socks_port", 1080},
            {"http_host", ""}, {"http_port", 0}, {"ignore_hosts", QJsonArray{"localhost"}}, {"autoconfig_url", ""}};
}

struct Exchange
{
    QByteArray reply;
    // The helper ended the connection (rather than going silent for the read's bound).
    bool ended = false;
};

// Sends `data` and reads what the helper answers until it ends the connection. The helper may
// answer and close while the data is still arriving; a Qt socket whose write then meets the
// closed connection aborts and throws away the answer it had not handed out, so a plain socket
// is used: what the helper sent arrives before the connection's end or reset.
Exchange sendAndReadToTheEnd(const QString &path, const QByteArray &data)
{
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0 || size_t(name.size()) >= sizeof address.sun_path)
        return {};
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    const timeval bound{5, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &bound, sizeof bound);
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &bound, sizeof bound);
    Exchange exchange;
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0) {
        // Stops at the helper's close (EPIPE) as at the end of the data.
        for (qsizetype sent = 0; sent < data.size();) {
            const ssize_t written = ::send(fd, data.constData() + sent, size_t(data.size() - sent), MSG_NOSIGNAL);
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0)
                break;
            sent += written;
        }
        char buffer[4096];
        for (;;) {
            const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
            if (got < 0 && errno == EINTR)
                continue;
            exchange.ended = got == 0 || (got < 0 && errno != EAGAIN);
            if (got <= 0)
                break;
            exchange.reply.append(buffer, got);
        }
    }
    ::close(fd);
    return exchange;
}

// One connection held open, as the client holds its own; requests are answered in order on it.
class HeldConnection
{
public:
    explicit HeldConnection(const QString &path)
    {
        m_socket.connectToServer(path);
        m_socket.waitForConnected(5000);
    }

    QJsonObject call(const QString &method, const QJsonObject &params = {})
    {
        const QJsonObject request = {{"id", ++m_id}, {"method", method}, {"params", params}};
        m_socket.write(QJsonDocument(request).toJson(QJsonDocument::Compact) + '\n');
        m_socket.waitForBytesWritten(5000);
        QElapsedTimer clock;
        clock.start();
        while (!m_socket.canReadLine() && m_socket.state() == QLocalSocket::ConnectedState && clock.elapsed() < 5000)
            m_socket.waitForReadyRead(100);
        return QJsonDocument::fromJson(m_socket.readLine()).object();
    }

    // What the client asks for its end: the kill switch off (true) or on.
    void askForRestoreAtTheEnd(bool restore)
    {
        EXPECT_FALSE(call(HelperProtocol::kSetRestoreOnClientEnd, {{"restore", restore}}).contains("error"));
    }

    // Ends at once, as the kernel ends the connection of a client that is killed.
    void end() { m_socket.abort(); }

private:
    QLocalSocket m_socket;
    int m_id = 0;
};

class HelperDaemonTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QFile::exists(kHelper)) << "build the ostrel-helper target first";
        ASSERT_TRUE(m_dir.isValid());
        m_socket = m_dir.filePath("helper.sock");
        m_settings = m_dir.filePath("desktop-proxy.json");
        m_state = m_dir.filePath("state");
    }

    QStringList arguments() const
    {
        return {"--socket", m_socket, "--backend", "file", "--settings-file", m_settings, "--state-dir", m_state};
    }

    bool startHelper(DaemonProcess &daemon) { return daemon.start(kHelper, arguments(), m_socket); }

    void writeUserSettings(const QJsonObject &settings)
    {
        QFile file(m_settings);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QJsonDocument(settings).toJson());
    }

    QJsonObject desktopSettings() const
    {
        QFile file(m_settings);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QJsonDocument::fromJson(file.readAll()).object();
    }

    QJsonObject call(const QString &method, const QJsonObject &params = {}, int id = 1)
    {
        const QJsonObject request = {{"id", id}, {"method", method}, {"params", params}};
        const QByteArray reply = exchangeLine(m_socket, QJsonDocument(request).toJson(QJsonDocument::Compact) + '\n');
        return QJsonDocument::fromJson(reply).object();
    }

    QJsonObject enable(int socksPort = 9999)
    {
        return call(HelperProtocol::kEnableProxy, {{"port", socksPort}, {"socksPort", socksPort}, {"pac", QJsonValue::Null},
                                    {"dnsServer", QJsonValue::Null}, {"filterInterface", true}, {"ignoreList", kExceptions}});
    }

    QString savedStatePath() const { return m_state + "/saved-proxy-settings.json"; }

    static QJsonObject enableParams()
    {
        return {{"port", 9999}, {"socksPort", 9999}, {"filterInterface", true}, {"ignoreList", kExceptions}};
    }

    // Whether the helper's output has said `text` `times` times so far.
    bool helperSaid(DaemonProcess &daemon, const QByteArray &text, int times = 1)
    {
        m_output += daemon.output();
        return m_output.count(text) >= times;
    }

    QTemporaryDir m_dir;
    QString m_socket;
    QString m_settings;
    QString m_state;
    QByteArray m_output;
};

const QByteArray kProxyStays = "the client that pointed the desktop proxy ended; the proxy stays";

TEST_F(HelperDaemonTest, EnableThenDisableRestoresTheUsersSettings)
{
    writeUserSettings(userOwnSettings());
    DaemonProcess daemon;
    ASSERT_TRUE(startHelper(daemon));

    EXPECT_EQ(call(HelperProtocol::kGetVersion).value("result").toString(), QStringLiteral(OSTREL_VERSION));
    const QJsonObject reply = enable();
    EXPECT_TRUE(reply.contains("result")) << QJsonDocument(reply).toJson().constData();
    EXPECT_FALSE(reply.contains("error"));

    const QJsonObject applied = desktopSettings();
    EXPECT_EQ(applied.value("mode").toString(), "manual");
    EXPECT_EQ(applied.value("socks_host").toString(), "127.0.0.1");
    EXPECT_EQ(applied.value("socks_port").toInt(), 9999);
    EXPECT_EQ(applied.value("ignore_hosts").toArray(), kExceptions);

    // The user's own settings wait on disk, readable by the user alone.
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(savedStatePath()).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    const QJsonObject current = call(HelperProtocol::kGetCurrentProxySetting).value("result").toObject();
    EXPECT_EQ(current.value("socks_port").toInt(), 9999);
    EXPECT_TRUE(current.value("changed_by_helper").toBool());

    // A second enable (the engine printed its start line twice) must not save our settings as
    // the user's.
    enable(9998);
    EXPECT_EQ(desktopSettings().value("socks_port").toInt(), 9998);

    const QJsonObject disabled = call(HelperProtocol::kDisableProxy, {{"filterInterface", true}});
    EXPECT_FALSE(disabled.contains("error"));
    EXPECT_EQ(desktopSettings(), userOwnSettings());
    EXPECT_FALSE(QFile::exists(savedStatePath()));
}

TEST_F(HelperDaemonTest, DisableWithoutSettingsFileRemovesOurs)
{
    DaemonProcess daemon;
    ASSERT_TRUE(startHelper(daemon));
    enable();
    ASSERT_TRUE(QFile::exists(m_settings));
    call(HelperProtocol::kDisableProxy, {{"filterInterface", true}});
    EXPECT_FALSE(QFile::exists(m_settings)) << "there was no file before: none after";
}

TEST_F(HelperDaemonTest, RefusesBadArgumentsAndChangesNothing)
{
    writeUserSettings(userOwnSettings());
    DaemonProcess daemon;
    ASSERT_TRUE(startHelper(daemon));

    const QJsonObject base = {{"port", 9999}, {"socksPort", 9999}, {"filterInterface", true}, {"ignoreList", kExceptions}};
    const QList<QPair<QString, QJsonValue>> bad = {
        {"port", 0}, {"port", 65536}, {"port", 99.5}, {"port", "9999"}, {"socksPort", -1},
        {"pac", "http://x/'; rm -rf ~"}, {"pac", "javascript:alert(1)"}, {"dnsServer", "8.8.8.8; reboot"},
        {"dnsServer", 8}, {"filterInterface", "yes"},
        {"ignoreList", QJsonArray{"localhost", "evil'host"}}, {"ignoreList", QJsonArray{"a\nb"}},
        {"ignoreList", QJsonArray{"with space"}}, {"ignoreList", QJsonArray{"10.0.0.0/33"}},
        {"ignoreList", QJsonArray{1}}, {"ignoreList", "localhost"},
        {"ignoreList", QJsonArray{"host.example\n"}}, {"dnsServer", "8.8.8.8\n"},
        {"pac", "http://127.0.0.1:1089/proxy.pac\n"}, {"unused", "x\ty"},
    };
    int id = 10;
    for (const auto &[key, value] : bad) {
        QJsonObject params = base;
        params.insert(key, value);
        const QJsonObject reply = call(HelperProtocol::kEnableProxy, params, ++id);
        EXPECT_EQ(reply.value("id").toInt(), id);
        EXPECT_TRUE(reply.value("error").isString()) << key.toStdString() << " accepted: "
                                                     << QJsonDocument(params).toJson(QJsonDocument::Compact).constData();
    }
    QJsonArray tooMany;
    for (int i = 0; i < 65; ++i)
        tooMany.append(QStringLiteral("host%1.example").arg(i));
    QJsonObject params = base;
    params.insert("ignoreList", tooMany);
    EXPECT_TRUE(call(HelperProtocol::kEnableProxy, params).value("error").isString());
    EXPECT_TRUE(call(HelperProtocol::kRestoreProxy, {{"currentPort", 9999}, {"socksPort", 9999}, {"info", QJsonObject{{"mode", "manual"}, {"socks_host", "a b"}}}})
                    .value("error").isString());
    EXPECT_TRUE(call(HelperProtocol::kRestoreProxy, {{"currentPort", 9999}, {"socksPort", 9999},
                                      {"info", QJsonObject{{"mode", "manual"}, {"socks_host", "host.example\n"}, {"socks_port", 1080}}}})
                    .value("error").isString());
    EXPECT_TRUE(call("noSuchMethod").value("error").isString());
    for (const QJsonObject &params : {QJsonObject{}, QJsonObject{{"restore", "yes"}}, QJsonObject{{"restore", 1}},
                                      QJsonObject{{"restore", QJsonValue::Null}}})
        EXPECT_TRUE(call(HelperProtocol::kSetRestoreOnClientEnd, params).value("error").isString());

    EXPECT_EQ(desktopSettings(), userOwnSettings());
    EXPECT_FALSE(QFile::exists(savedStatePath()));
}

TEST_F(HelperDaemonTest, SurvivesGarbageHugeLinesAndVanishingClients)
{
    DaemonProcess daemon;
    ASSERT_TRUE(startHelper(daemon));

    EXPECT_TRUE(QJsonDocument::fromJson(exchangeLine(m_socket, "not json at all\n")).object().value("error").isString());
    EXPECT_TRUE(QJsonDocument::fromJson(exchangeLine(m_socket, "[1,2,3]\n")).object().value("error").isString());
    EXPECT_TRUE(QJsonDocument::fromJson(exchangeLine(m_socket, "{\"id\":3,\"method\":7}\n")).object().value("error").isString());

    // A line without end: answered once, then the peer is dropped; memory stays bounded.
    const Exchange endless = sendAndReadToTheEnd(m_socket, QByteArray(256 * 1024, 'x'));
    EXPECT_TRUE(endless.ended);
    EXPECT_TRUE(endless.reply.contains("request too long"));
    // Clients that leave in the middle of a request.
    for (int i = 0; i < 20; ++i) {
        QLocalSocket socket;
        socket.connectToServer(m_socket);
        ASSERT_TRUE(socket.waitForConnected(2000));
        socket.write("{\"id\":1,\"method\":\"enableProxy\",\"params\":{\"port\":9999,\"socksPort\":9999}}\n{\"id\":2,\"meth");
        socket.waitForBytesWritten(1000);
        socket.abort();
    }
    EXPECT_EQ(call(HelperProtocol::kGetVersion).value("result").toString(), QStringLiteral(OSTREL_VERSION));
    EXPECT_EQ(daemon.process()->state(), QProcess::Running);
}

TEST_F(HelperDaemonTest, AFloodingClientIsCutOffAndTerminationStaysPrompt)
{
    writeUserSettings(userOwnSettings());
    DaemonProcess daemon;
    ASSERT_TRUE(startHelper(daemon));
    enable();

    // Thousands of requests in one go: the helper must not queue them all (each one writes the
    // desktop's settings), or it stays deaf to everyone else, and to SIGTERM, for a long time.
    QByteArray flood;
    for (int i = 0; i < 5000; ++i)
        flood += QByteArray("{\"id\":") + QByteArray::number(i)
                 + "," "\"method\":\"enableProxy\",\"params\":{\"port\":9998,\"socksPort\":9998}}\n";
    const Exchange flooded = sendAndReadToTheEnd(m_socket, flood);
    EXPECT_TRUE(flooded.ended) << "the flooding client was not dropped";
    EXPECT_TRUE(flooded.reply.contains("too many requests waiting"));
    EXPECT_LE(flooded.reply.count('\n'), 33);

    // Others are still answered, and the way out restores the user's settings at once.
    EXPECT_EQ(call(HelperProtocol::kGetVersion).value("result").toString(), QStringLiteral(OSTREL_VERSION));
    EXPECT_TRUE(daemon.terminate(3000));
    EXPECT_EQ(desktopSettings(), userOwnSettings());
}

TEST_F(HelperDaemonTest, AClientThatEndsConnectedGetsTheUsersSettingsBackWhenItAskedFor)
{
    writeUserSettings(userOwnSettings());
    DaemonProcess daemon;
    ASSERT_TRUE(startHelper(daemon));
    HeldConnection client(m_socket);
    client.askForRestoreAtTheEnd(true);
    ASSERT_FALSE(client.call(HelperProtocol::kEnableProxy, enableParams()).contains("error"));
    ASSERT_EQ(desktopSettings().value("socks_port").toInt(), 9999);

    // Another client's end (a one-line exchange, which asked the same) is not the end of the
    // client whose enable is in place. The helper sees that end no later than the next request.
    EXPECT_FALSE(QJsonDocument::fromJson(exchangeLine(m_socket, R"({"id":1,"method":"setRestoreOnClientEnd","params":{"restore":true}})"
                                                                "\n")).object().contains("error"));
    EXPECT_TRUE(client.call(HelperProtocol::kGetCurrentProxySetting).value("result").toObject().value("changed_by_helper").toBool());
    EXPECT_EQ(desktopSettings().value("socks_port").toInt(), 9999);

    client.end();
    // The settings written back, then their saved copy removed.
    EXPECT_TRUE(QTest::qWaitFor([&] { return desktopSettings() == userOwnSettings() && !QFile::exists(savedStatePath()); }, 5000))
        << QJsonDocument(desktopSettings()).toJson().constData();

    // The user changes the setting; the client's next start asks for whatever is left to undo:
    // nothing, and the user's new setting stays.
    QJsonObject changed = userOwnSettings();
    changed.insert("socks_host", "other-proxy.example.org");
    writeUserSettings(changed);
    EXPECT_FALSE(call(HelperProtocol::kDisableProxy, {{"filterInterface", true}}).contains("error"));
    EXPECT_EQ(desktopSettings(), changed);
}

TEST_F(HelperDaemonTest, AClientThatEndsConnectedWithoutAskingLeavesTheProxyUntilTheNextStart)
{
    writeUserSettings(userOwnSettings());
    DaemonProcess daemon;
    ASSERT_TRUE(startHelper(daemon));

    // The kill switch turned on while connected: what it asked at its enable no longer holds.
    HeldConnection killSwitch(m_socket);
    killSwitch.askForRestoreAtTheEnd(true);
    ASSERT_FALSE(killSwitch.call(HelperProtocol::kEnableProxy, enableParams()).contains("error"));
    killSwitch.askForRestoreAtTheEnd(false);
    killSwitch.end();
    ASSERT_TRUE(QTest::qWaitFor([&] { return helperSaid(daemon, kProxyStays); }, 5000)) << m_output.constData();
    EXPECT_EQ(desktopSettings().value("socks_port").toInt(), 9999);
    EXPECT_TRUE(QFile::exists(savedStatePath()));

    // A client whose enable another client's replaced: its end is not the end of the enable in
    // place. That one's client never asked, as one of an older version would not.
    HeldConnection replaced(m_socket);
    replaced.askForRestoreAtTheEnd(true);
    ASSERT_FALSE(replaced.call(HelperProtocol::kEnableProxy, enableParams()).contains("error"));
    HeldConnection older(m_socket);
    ASSERT_FALSE(older.call(HelperProtocol::kEnableProxy, enableParams()).contains("error"));
    replaced.end();
    // Answered only after that end was taken: the helper sees it no later than this request.
    EXPECT_TRUE(older.call(HelperProtocol::kGetCurrentProxySetting).value("result").toObject().value("changed_by_helper").toBool());
    older.end();
    ASSERT_TRUE(QTest::qWaitFor([&] { return helperSaid(daemon, kProxyStays, 2); }, 5000)) << m_output.constData();
    EXPECT_EQ(desktopSettings().value("socks_port").toInt(), 9999);

    // The client's next start gives the user's settings back, as ever.
    EXPECT_FALSE(call(HelperProtocol::kDisableProxy, {{"filterInterface", true}}).contains("error"));
    EXPECT_EQ(desktopSettings(), userOwnSettings());
}

TEST_F(HelperDaemonTest, CrashLeftoverIsRestoredAtTheNextStart)
{
    writeUserSettings(userOwnSettings());
    {
        DaemonProcess daemon;
        ASSERT_TRUE(startHelper(daemon));
        enable();
        ASSERT_EQ(desktopSettings().value("socks_port").toInt(), 9999);
        daemon.crash();
    }
    EXPECT_EQ(desktopSettings().value("socks_port").toInt(), 9999) << "a killed helper cannot clean up";
    ASSERT_TRUE(QFile::exists(savedStatePath()));

    DaemonProcess again;
    ASSERT_TRUE(startHelper(again));
    EXPECT_EQ(desktopSettings(), userOwnSettings());
    EXPECT_FALSE(QFile::exists(savedStatePath()));
}

TEST_F(HelperDaemonTest, TerminationRestoresAndADamagedStateIsSetAside)
{
    writeUserSettings(userOwnSettings());
    DaemonProcess daemon;
    ASSERT_TRUE(startHelper(daemon));
    enable();
    EXPECT_TRUE(daemon.terminate());
    EXPECT_EQ(desktopSettings(), userOwnSettings());

    QDir().mkpath(m_state);
    QFile damaged(savedStatePath());
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("{\"backend\": \"file\", \"snap");
    damaged.close();
    DaemonProcess next;
    ASSERT_TRUE(startHelper(next));
    EXPECT_EQ(desktopSettings(), userOwnSettings());
    EXPECT_TRUE(QFile::exists(savedStatePath() + ".damaged"));
}

TEST_F(HelperDaemonTest, ASocketItCannotHaveRefusesTheStartAndSaysWhy)
{
    DaemonProcess first;
    ASSERT_TRUE(startHelper(first));
    QProcess second;
    second.start(kHelper, arguments());
    ASSERT_TRUE(second.waitForFinished(5000));
    EXPECT_NE(second.exitCode(), 0);
    EXPECT_EQ(call(HelperProtocol::kGetVersion).value("result").toString(), QStringLiteral(OSTREL_VERSION));

    // A path of exactly `bytes` bytes in the test's folder.
    const qsizetype folder = QFile::encodeName(m_dir.path()).size();
    ASSERT_LE(folder + 2, 106) << "the test's folder leaves no room for a socket: " << qPrintable(m_dir.path());
    const auto pathOf = [&](qsizetype bytes) { return m_dir.filePath(QString(bytes - folder - 1, u's')); };
    // The longest path a socket can be bound at listens; one byte more, which the kernel's
    // address would still hold, is refused by the helper itself, saying why.
    m_socket = pathOf(106);
    DaemonProcess longest;
    ASSERT_TRUE(startHelper(longest)) << longest.output().toStdString();
    EXPECT_EQ(call(HelperProtocol::kGetVersion).value("result").toString(), QStringLiteral(OSTREL_VERSION));
    const auto refusal = [this] {
        QProcess tooLong;
        tooLong.start(kHelper, arguments());
        EXPECT_TRUE(tooLong.waitForFinished(5000));
        EXPECT_NE(tooLong.exitCode(), 0);
        return QString::fromUtf8(tooLong.readAllStandardError());
    };
    m_socket = pathOf(107);
    QString said = refusal();
    EXPECT_TRUE(said.contains(m_socket + " is too long: 107 bytes") && said.contains("at most 106")) << said.toStdString();

    // No more characters than a socket path may have bytes, but two bytes each.
    m_socket = m_dir.filePath(QString(std::max<qsizetype>(1, 105 - m_dir.path().size()), u'é'));
    said = refusal();
    EXPECT_TRUE(said.contains(m_socket + " is too long") && said.contains("at most 106")) << said.toStdString();
}

} // namespace
