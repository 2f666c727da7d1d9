// The helper daemon as the client meets it: the real executable on a temporary socket with the
// file backend, so every test can read what it would have set on a desktop.
#include "support/DaemonProcess.h"
#include "support/DesktopProxyFile.h"
#include "support/SmallDisk.h"

#include "common/HelperProtocol.h"
#include "helper/ProxySettings.h"

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
#include <cstdio>
#include <list>
#include <vector>
#include <memory>
#include <optional>
#include <ostream>
#include <cerrno>
#include <cstring>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

const QString kHelper = QStringLiteral(OSTREL_BINARY_DIR "/bin/ostrel-helper");

const QJsonArray kExceptions = {"127.0.0.1", "localhost", "192.168.0.0/16", "10.0.0.0/8", "FE80::/64", "::1", "FD00::/8"};

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

    QStringList arguments() const { return DesktopProxyFile::helperArguments(m_socket, m_settings, m_state); }

    bool startHelper(DaemonProcess &daemon) { return daemon.start(kHelper, arguments(), m_socket); }

    void writeUserSettings(const QJsonObject &settings) { ASSERT_TRUE(DesktopProxyFile::write(m_settings, settings)); }

    QJsonObject desktopSettings() const { return DesktopProxyFile::read(m_settings); }

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
    writeUserSettings(DesktopProxyFile::usersOwnSample());
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
    EXPECT_EQ(desktopSettings(), DesktopProxyFile::usersOwnSample());
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
    writeUserSettings(DesktopProxyFile::usersOwnSample());
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

    EXPECT_EQ(desktopSettings(), DesktopProxyFile::usersOwnSample());
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
    writeUserSettings(DesktopProxyFile::usersOwnSample());
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
    EXPECT_EQ(desktopSettings(), DesktopProxyFile::usersOwnSample());
}

TEST_F(HelperDaemonTest, AClientThatEndsConnectedGetsTheUsersSettingsBackWhenItAskedFor)
{
    writeUserSettings(DesktopProxyFile::usersOwnSample());
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
    EXPECT_TRUE(QTest::qWaitFor([&] { return desktopSettings() == DesktopProxyFile::usersOwnSample() && !QFile::exists(savedStatePath()); }, 5000))
        << QJsonDocument(desktopSettings()).toJson().constData();

    // The user changes the setting; the client's next start asks for whatever is left to undo:
    // nothing, and the user's new setting stays.
    QJsonObject changed = DesktopProxyFile::usersOwnSample();
    changed.insert("socks_host", "other-proxy.example.org");
    writeUserSettings(changed);
    EXPECT_FALSE(call(HelperProtocol::kDisableProxy, {{"filterInterface", true}}).contains("error"));
    EXPECT_EQ(desktopSettings(), changed);
}

TEST_F(HelperDaemonTest, AClientThatEndsConnectedWithoutAskingLeavesTheProxyUntilTheNextStart)
{
    writeUserSettings(DesktopProxyFile::usersOwnSample());
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
    EXPECT_EQ(desktopSettings(), DesktopProxyFile::usersOwnSample());
}

TEST_F(HelperDaemonTest, CrashLeftoverIsRestoredAtTheNextStart)
{
    writeUserSettings(DesktopProxyFile::usersOwnSample());
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
    EXPECT_EQ(desktopSettings(), DesktopProxyFile::usersOwnSample());
    EXPECT_FALSE(QFile::exists(savedStatePath()));
}

TEST_F(HelperDaemonTest, TerminationRestoresAndADamagedStateIsSetAside)
{
    writeUserSettings(DesktopProxyFile::usersOwnSample());
    DaemonProcess daemon;
    ASSERT_TRUE(startHelper(daemon));
    enable();
    EXPECT_TRUE(daemon.terminate());
    EXPECT_EQ(desktopSettings(), DesktopProxyFile::usersOwnSample());

    QDir().mkpath(m_state);
    QFile damaged(savedStatePath());
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("{\"backend\": \"file\", \"snap");
    damaged.close();
    DaemonProcess next;
    ASSERT_TRUE(startHelper(next));
    EXPECT_EQ(desktopSettings(), DesktopProxyFile::usersOwnSample());
    EXPECT_TRUE(QFile::exists(savedStatePath() + ".damaged"));
}

// Every road that gives the user's saved settings back, with and without a setting the user made
// after the enable.
enum class Road {
    Disable,                // the client's disconnect, its long press, its next start, its quit
    ClientsEnd,             // the client ended while connected, having asked for the restore
    HelperEnd,              // SIGTERM: the session ends
    HelperStart,            // a copy left by a killed helper
    HelperReplaced,         // an install replaced the helper's program
    EnableAgainThenDisable, // a second enable in between
};

// What the user did to the desktop after the enable, as a desktop's proxy page writes it.
enum class Change {
    None,
    IgnoreListEdit,    // one exception added: the proxy itself is still the client's
    IgnoreListRemoval, // one of the client's exceptions removed
    ModeNone,          // "off", which writes the mode alone
    ProxyOfTheirOwn,   // their own SOCKS proxy in place of the client's
};

// The desktop before the connect.
enum class Before {
    UsersOwn, // a proxy of the user's own
    NoProxy,  // a settings file that says "none"
    NoFile,   // no settings file at all
};

struct RestoreRow
{
    const char *name;
    Road road;
    Change change;
    Before before = Before::UsersOwn;
};

void PrintTo(const RestoreRow &row, std::ostream *out)
{
    *out << row.name;
}

const QByteArray kUsersChangeStays = "the desktop proxy was changed since the last enable; the user's change stays (";
const QByteArray kCopyHoldsChange = "; the saved copy now holds that change";

QJsonObject withKeys(QJsonObject settings, const QJsonObject &changes)
{
    for (auto it = changes.begin(); it != changes.end(); ++it)
        settings.insert(it.key(), it.value());
    return settings;
}

QJsonObject noProxySample()
{
    return {{"mode", "none"}, {"socks_host", ""}, {"socks_port", 0}, {"http_host", ""}, {"http_port", 0},
            {"ignore_hosts", QJsonArray{"localhost", "127.0.0.0/8"}}, {"autoconfig_url", ""}};
}

// What the file backend's own reader takes for no file: the settings' "no proxy".
QJsonObject noFileAsRead()
{
    return {{"mode", "none"}, {"socks_host", ""}, {"socks_port", 0}, {"http_host", ""}, {"http_port", 0},
            {"ignore_hosts", QJsonArray()}, {"autoconfig_url", ""}};
}

QJsonObject settingsBefore(const RestoreRow &row)
{
    switch (row.before) {
    case Before::UsersOwn:
        break;
    case Before::NoProxy:
        return noProxySample();
    case Before::NoFile:
        return noFileAsRead();
    }
    return DesktopProxyFile::usersOwnSample();
}

const QJsonObject kTheirOwnProxy = {{"socks_host", "other-proxy.example.org"}, {"socks_port", 3128}};

// The desktop as the enable left it, changed by the user.
QJsonObject changedByTheUser(Change change, const QJsonObject &desktop)
{
    switch (change) {
    case Change::None:
        break;
    case Change::IgnoreListEdit: {
        QJsonArray hosts = desktop.value("ignore_hosts").toArray();
        hosts.append("printer.lan");
        return withKeys(desktop, {{"ignore_hosts", hosts}});
    }
    case Change::IgnoreListRemoval: {
        QStringList hosts = desktop.value("ignore_hosts").toVariant().toStringList();
        hosts.removeAll("10.0.0.0/8");
        return withKeys(desktop, {{"ignore_hosts", QJsonArray::fromStringList(hosts)}});
    }
    case Change::ModeNone:
        return withKeys(desktop, {{"mode", "none"}});
    case Change::ProxyOfTheirOwn:
        return withKeys(desktop, kTheirOwnProxy);
    }
    return desktop;
}

// What every road leaves: what the user changed stays, the rest of their earlier setting comes
// back; where they pointed the proxy elsewhere, it is in use. Their exceptions are their earlier
// ones with their change made: the client's own go, one of them the user removed stays removed.
QJsonObject settingsAfter(const RestoreRow &row)
{
    const QJsonObject before = settingsBefore(row);
    switch (row.change) {
    case Change::None:
    case Change::IgnoreListRemoval:
        break;
    case Change::IgnoreListEdit: {
        QJsonArray hosts = before.value("ignore_hosts").toArray();
        hosts.append("printer.lan");
        return withKeys(before, {{"ignore_hosts", hosts}});
    }
    case Change::ModeNone:
        return withKeys(before, {{"mode", "none"}});
    case Change::ProxyOfTheirOwn:
        return withKeys(withKeys(before, kTheirOwnProxy), {{"mode", "manual"}});
    }
    return before;
}

// Whether a road keeps something of the user's and says so: not where their change leaves every
// key as it was saved (one of the client's exceptions taken out; mode none where it was none).
bool keepsUsersOwn(const RestoreRow &row)
{
    if (row.change == Change::ModeNone)
        return row.before != Before::NoFile;
    return row.change == Change::IgnoreListEdit || row.change == Change::ProxyOfTheirOwn;
}

// The file as every road leaves it; empty for none. From no file, what says no more than "no
// proxy" is no file again.
QJsonObject expectedAfter(const RestoreRow &row)
{
    const QJsonObject after = settingsAfter(row);
    return row.before == Before::NoFile && after == noFileAsRead() ? QJsonObject() : after;
}

class RestoreRoadTest : public HelperDaemonTest, public ::testing::WithParamInterface<RestoreRow>
{
protected:
    // The helper run from a copy of its program, which the road may replace as an install would.
    bool startHelperCopy(DaemonProcess &daemon)
    {
        return QDir().mkpath(m_dir.filePath("bin")) && QFile::copy(kHelper, helperCopy())
            && daemon.start(helperCopy(), arguments(), m_socket);
    }

    bool replaceHelperCopy()
    {
        const QString next = helperCopy() + ".new";
        return QFile::copy(kHelper, next) && std::rename(QFile::encodeName(next).constData(), QFile::encodeName(helperCopy()).constData()) == 0;
    }

    QString helperCopy() const { return m_dir.filePath("bin/ostrel-helper"); }
};

TEST_P(RestoreRoadTest, GivesBackWhatTheUserDidNotChange)
{
    const RestoreRow &row = GetParam();
    if (row.before != Before::NoFile)
        writeUserSettings(settingsBefore(row));
    auto daemon = std::make_unique<DaemonProcess>();
    ASSERT_TRUE(row.road == Road::HelperReplaced ? startHelperCopy(*daemon) : startHelper(*daemon));
    HeldConnection client(m_socket);
    client.askForRestoreAtTheEnd(row.road == Road::ClientsEnd);
    ASSERT_FALSE(client.call(HelperProtocol::kEnableProxy, enableParams()).contains("error"));
    ASSERT_TRUE(DesktopProxyFile::pointsAt(desktopSettings(), 9999));
    const QJsonObject changed = changedByTheUser(row.change, desktopSettings());
    writeUserSettings(changed);

    QJsonObject disabled;
    switch (row.road) {
    case Road::EnableAgainThenDisable:
        ASSERT_FALSE(client.call(HelperProtocol::kEnableProxy, enableParams()).contains("error"));
        ASSERT_TRUE(DesktopProxyFile::pointsAt(desktopSettings(), 9999));
        [[fallthrough]];
    case Road::Disable:
        disabled = call(HelperProtocol::kDisableProxy, {{"filterInterface", true}});
        EXPECT_FALSE(disabled.contains("error")) << QJsonDocument(disabled).toJson().constData();
        break;
    case Road::ClientsEnd:
        client.end();
        // Seen through what the helper did: the copy is gone either way.
        ASSERT_TRUE(QTest::qWaitFor([&] { return !QFile::exists(savedStatePath()); }, 5000)) << daemon->output().constData();
        break;
    case Road::HelperEnd:
        EXPECT_TRUE(daemon->terminate());
        break;
    case Road::HelperStart:
        daemon->crash();
        ASSERT_TRUE(QFile::exists(savedStatePath()));
        daemon = std::make_unique<DaemonProcess>();
        ASSERT_TRUE(startHelper(*daemon));
        break;
    case Road::HelperReplaced:
        ASSERT_TRUE(replaceHelperCopy());
        EXPECT_TRUE(daemon->process()->waitForFinished(5000)) << daemon->output().constData();
        break;
    }

    const QJsonObject expected = expectedAfter(row);
    EXPECT_EQ(desktopSettings(), expected);
    EXPECT_EQ(QFile::exists(m_settings), !expected.isEmpty());
    // Whatever is left, the helper can read it again.
    QString unreadable;
    EXPECT_TRUE(expected.isEmpty() || ProxySettings::fromJson(desktopSettings(), &unreadable)) << unreadable.toStdString();
    EXPECT_FALSE(QFile::exists(savedStatePath()));
    // The client hears how it ended: whole, or with the user's own keys kept.
    if (row.road == Road::Disable) {
        EXPECT_EQ(disabled.value("result").toObject().value("outcome").toString(), keepsUsersOwn(row) ? "usersOwnKept" : "whole")
            << QJsonDocument(disabled).toJson().constData();
    }
    // The helper says what it left as the user's, once; its output is whole once it ended.
    if (daemon->process()->state() != QProcess::NotRunning) {
        EXPECT_TRUE(daemon->terminate());
    }
    EXPECT_EQ(desktopSettings(), expected);
    m_output += daemon->output();
    const bool keptAtTheEnd = keepsUsersOwn(row) && row.road != Road::EnableAgainThenDisable;
    EXPECT_EQ(m_output.count(kUsersChangeStays), keptAtTheEnd ? 1 : 0) << m_output.constData();
    EXPECT_EQ(m_output.count(kCopyHoldsChange), keepsUsersOwn(row) && row.road == Road::EnableAgainThenDisable ? 1 : 0)
        << m_output.constData();
}

// Each road with each change, from a proxy of the user's own and from no settings file; the
// exceptions edited and the proxy of their own also from "no proxy", where only the mode the user
// left on keeps their proxy in use, and an exception added leaves it off.
std::vector<RestoreRow> everyRoadAndChange()
{
    const std::pair<const char *, Road> roads[] = {
        {"Disable", Road::Disable},       {"ClientsEnd", Road::ClientsEnd},         {"HelperEnd", Road::HelperEnd},
        {"HelperStart", Road::HelperStart}, {"HelperReplaced", Road::HelperReplaced}, {"EnableAgainThenDisable", Road::EnableAgainThenDisable},
    };
    const std::pair<const char *, Change> changes[] = {
        {"", Change::None},
        {"AfterAnIgnoreListEdit", Change::IgnoreListEdit},
        {"AfterOneOfTheClientsExceptionsRemoved", Change::IgnoreListRemoval},
        {"AfterModeNone", Change::ModeNone},
        {"AfterAProxyOfTheirOwn", Change::ProxyOfTheirOwn},
    };
    static std::list<std::string> names;
    std::vector<RestoreRow> rows;
    for (const auto &[road, roadValue] : roads) {
        for (const auto &[change, changeValue] : changes) {
            rows.push_back({names.emplace_back(std::string(road) + change).c_str(), roadValue, changeValue});
            if (changeValue == Change::ProxyOfTheirOwn || changeValue == Change::IgnoreListEdit)
                rows.push_back({names.emplace_back(std::string(road) + change + "FromNoProxy").c_str(), roadValue, changeValue,
                                Before::NoProxy});
            rows.push_back({names.emplace_back(std::string(road) + change + "FromNoFile").c_str(), roadValue, changeValue,
                            Before::NoFile});
        }
    }
    return rows;
}

INSTANTIATE_TEST_SUITE_P(EveryRoad, RestoreRoadTest, ::testing::ValuesIn(everyRoadAndChange()),
                         [](const ::testing::TestParamInfo<RestoreRow> &info) { return std::string(info.param.name); });

// A copy saved by an older helper does not say what its enable left: it is given back whatever
// the desktop shows, as that helper would have.
TEST_F(HelperDaemonTest, ACopyOfAnOlderHelperRestoresAsBefore)
{
    writeUserSettings(withKeys(DesktopProxyFile::usersOwnSample(), {{"mode", "none"}}));
    ASSERT_TRUE(QDir().mkpath(m_state));
    QFile saved(savedStatePath());
    ASSERT_TRUE(saved.open(QIODevice::WriteOnly));
    const QJsonObject older = {{"backend", "file"}, {"saved_at", "2026-01-05T10:00:00Z"},
                               {"snapshot", QJsonObject{{"exists", true}, {"content", DesktopProxyFile::usersOwnSample()}}}};
    saved.write(QJsonDocument(older).toJson());
    saved.close();

    DaemonProcess daemon;
    ASSERT_TRUE(startHelper(daemon));
    EXPECT_EQ(desktopSettings(), DesktopProxyFile::usersOwnSample());
    EXPECT_FALSE(QFile::exists(savedStatePath()));
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

// The real helper with its state folder on a full disk: the enable answers why and leaves the
// desktop as it was; once connected, the disconnect and the session's end still give the user's
// setting back; no file is left empty.
TEST_F(HelperDaemonTest, AFullStateFolderLeavesTheDesktopAsBeforeOrGivesItBack)
{
    SmallDisk disk(m_state);
    if (const std::optional<std::string> why = disk.unavailable())
        GTEST_SKIP() << *why;
    writeUserSettings(DesktopProxyFile::usersOwnSample());
    DaemonProcess daemon;
    ASSERT_TRUE(startHelper(daemon));

    ASSERT_TRUE(disk.fill());
    const QJsonObject refused = enable();
    EXPECT_TRUE(refused.value("error").toString().contains("No space left on device")) << QJsonDocument(refused).toJson().constData();
    EXPECT_EQ(desktopSettings(), DesktopProxyFile::usersOwnSample());
    disk.makeRoom();

    for (const bool atTheEnd : {false, true}) {
        ASSERT_FALSE(enable().contains("error"));
        ASSERT_EQ(desktopSettings().value("socks_port").toInt(), 9999);
        ASSERT_TRUE(disk.fill());
        if (atTheEnd) {
            EXPECT_TRUE(daemon.terminate());
        } else {
            const QJsonObject disabled = call(HelperProtocol::kDisableProxy, {{"filterInterface", true}});
            EXPECT_EQ(disabled.value("result").toObject().value("outcome").toString(), "whole")
                << QJsonDocument(disabled).toJson().constData();
        }
        EXPECT_EQ(desktopSettings(), DesktopProxyFile::usersOwnSample());
        EXPECT_TRUE(QDir(m_state).entryList({"*.json", "*.damaged"}, QDir::Files).isEmpty());
        disk.makeRoom();
    }
}

} // namespace
