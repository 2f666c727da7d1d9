// The backends and the service on their own: KDE's file edited without disturbing the rest,
// snapshots refused when tampered with, and a failed change rolled back.
#include "common/HelperProtocol.h"
#include "helper/FileProxyBackend.h"
#include "helper/HelperValidation.h"
#include "helper/KdeProxyBackend.h"
#include "helper/ProxyConfigService.h"
#include "helper/SavedProxyState.h"

#include "FaultyFileDesktop.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <utility>

namespace {

const QStringList kExceptions = {"127.0.0.1", "localhost", "192.168.0.0/16", "10.0.0.0/8", "FE80::/64", "::1", "FD00::/8"};

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &data)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(data);
}

TEST(HelperValidationTest, AcceptsTheClientsExceptionsAndRefusesAnythingElse)
{
    for (const QString &entry : kExceptions)
        EXPECT_TRUE(HelperValidation::isExceptionEntry(entry)) << entry.toStdString();
    for (const char *entry : {"*.example.com", "intranet", "fd00::1", "172.16.0.0/12"})
        EXPECT_TRUE(HelperValidation::isExceptionEntry(entry)) << entry;
    for (const char *entry : {"", "a b", "a'b", "a\"b", "a\nb", "a;b", "$(reboot)", "10.0.0.0/", "10.0.0.0/99",
                              "::1/129", "-leading.example", "/8", "a\\b", "host.example\n", "*.host.example\n",
                              "10.0.0.0/8\n"})
        EXPECT_FALSE(HelperValidation::isExceptionEntry(entry)) << entry;
    // A final line break slips past a pattern anchored with "$".
    EXPECT_FALSE(HelperValidation::isHost("host.example\n"));
    EXPECT_FALSE(HelperValidation::isAddress("127.0.0.1\n"));
    EXPECT_FALSE(HelperValidation::isPacUrl("http://127.0.0.1:1089/proxy.pac\n"));
    for (const char16_t c : {u'\n', u'\r', u'\t', u'\0', u'\x7f', u'\x85', u'\u2028'})
        EXPECT_TRUE(HelperValidation::hasControlCharacter(QStringLiteral("host") + QChar(c) + QStringLiteral("x")));
    EXPECT_FALSE(HelperValidation::hasControlCharacter(QStringLiteral("höst.example")));
    EXPECT_TRUE(HelperValidation::hasControlCharacter(QJsonValue(QJsonObject{{"info", QJsonObject{{"a\nb", 1}}}})));
    EXPECT_TRUE(HelperValidation::hasControlCharacter(QJsonValue(QJsonArray{"ok", QJsonArray{"x\r"}})));
    EXPECT_TRUE(HelperValidation::isPacUrl("http://127.0.0.1:1089/proxy.pac"));
    EXPECT_TRUE(HelperValidation::isPacUrl("file:///home/u/proxy.pac"));
    EXPECT_FALSE(HelperValidation::isPacUrl("ftp://x/proxy.pac"));
    EXPECT_FALSE(HelperValidation::isPacUrl("http://x/a'b"));
    EXPECT_TRUE(HelperValidation::isAddress("223.5.5.5"));
    EXPECT_TRUE(HelperValidation::isAddress("2001:db8::1"));
    EXPECT_FALSE(HelperValidation::isAddress("8.8.8"));
    EXPECT_FALSE(HelperValidation::isAddress("dns.example"));
}

TEST(KdeProxyBackendTest, EditsOnlyItsKeysAndRestoresTheFileExactly)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("kioslaverc");
    const QByteArray original =
        "# written by the user\n"
        "[Cookies]\n"
        "CookieGlobalAdvice=Accept\n"
        "\n"
        "[Proxy Settings]\n"
        "AuthMode=0\n"
        "ProxyType=2\n"
        "Proxy Config Script=http://wpad.example/proxy.pac\n"
        "httpProxy=http://proxy.example 3128\n"
        "\n"
        "[$Version]\n"
        "update_info=kioslave.upd:change-proxy-strings\n";
    writeAll(path, original);

    KdeProxyBackend backend(path);
    QString error;
    const std::optional<QJsonObject> snapshot = backend.snapshot(&error);
    ASSERT_TRUE(snapshot) << error.toStdString();
    EXPECT_TRUE(backend.isValidSnapshot(*snapshot));

    const std::optional<ProxySettings> before = backend.read(&error);
    ASSERT_TRUE(before);
    EXPECT_EQ(before->mode, ProxySettings::Mode::Auto);
    EXPECT_EQ(before->httpHost, "proxy.example");
    EXPECT_EQ(before->httpPort, 3128);

    ASSERT_TRUE(backend.apply(ProxySettings::forLocalListener(9999, 9999, {}, kExceptions)).isEmpty());
    const QByteArray applied = readAll(path);
    EXPECT_TRUE(applied.contains("ProxyType=1\n"));
    EXPECT_TRUE(applied.contains("socksProxy=socks://127.0.0.1 9999\n"));
    EXPECT_TRUE(applied.contains("NoProxyFor=127.0.0.1,localhost,192.168.0.0/16,10.0.0.0/8,FE80::/64,::1,FD00::/8\n"));
    EXPECT_TRUE(applied.contains("[Cookies]\nCookieGlobalAdvice=Accept\n"));
    EXPECT_TRUE(applied.contains("AuthMode=0\n"));
    const std::optional<ProxySettings> during = backend.read(&error);
    ASSERT_TRUE(during);
    EXPECT_EQ(during->socksHost, "127.0.0.1");
    EXPECT_EQ(during->socksPort, 9999);
    EXPECT_EQ(during->ignoreHosts, kExceptions);
    // Keys added to the group stay inside it, before the next group.
    EXPECT_LT(applied.indexOf("socksProxy="), applied.indexOf("[$Version]"));

    ASSERT_TRUE(backend.restoreSnapshot(*snapshot).isEmpty());
    EXPECT_EQ(readAll(path), original);
}

// A line of the user's after the enable, and what a line holds after the disable (null: none).
struct KdeRow
{
    const char *name;
    QJsonObject edit;     // lines the user changed after the enable
    QJsonObject expected; // the group's lines after the disable; empty for the original file
};

// Enables from `original`, makes each row's edit and disables: the lines are as the row expects.
void disableAfterEachEdit(const QByteArray &original, const QList<KdeRow> &rows)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("kioslaverc");
    KdeProxyBackend backend(path);
    SavedProxyState state(dir.filePath("state"));
    ProxyConfigService service(backend, state, "1.0");
    for (const KdeRow &row : rows) {
        writeAll(path, original);
        ASSERT_TRUE(service.enableProxy(9999, 9999, {}, {}, true, kExceptions).isEmpty());
        QString error;
        QJsonObject edited = *backend.snapshot(&error);
        for (auto it = row.edit.begin(); it != row.edit.end(); ++it)
            edited.insert(it.key(), it.value());
        ASSERT_TRUE(backend.restoreSnapshot(edited).isEmpty());

        EXPECT_TRUE(service.disableProxy(true).isEmpty());
        EXPECT_FALSE(state.exists());
        if (row.expected.isEmpty()) {
            EXPECT_EQ(readAll(path), original) << row.name;
            continue;
        }
        const QJsonObject after = *backend.snapshot(&error);
        for (auto it = row.expected.begin(); it != row.expected.end(); ++it)
            EXPECT_EQ(after.value(it.key()), it.value()) << row.name << ": " << it.key().toStdString();
    }
}

// The service judges a change by the store's own lines: KDE's, as read back after the enable,
// read the same at the disable while nobody edited them. Each group of lines the user edited
// stays theirs; the rest comes back. An edit of the exceptions is made to the user's own list.
TEST(KdeProxyBackendTest, TheDisableGivesBackEveryLineTheUserDidNotEditSince)
{
    const QByteArray original = "[Proxy Settings]\nProxyType=2\nProxy Config Script=http://wpad.example/proxy.pac\n"
                                "NoProxyFor=localhost,intranet.example\n";
    const QString exceptions = kExceptions.join(',');
    QStringList withoutLocalhost = kExceptions;
    withoutLocalhost.removeAll("localhost");
    const QString pac = "http://wpad.example/proxy.pac";
    disableAfterEachEdit(original, {
        {"unedited", {}, {}},
        // What the desktop's settings write when the user turns the proxy off.
        {"off", {{"ProxyType", "0"}}, {{"ProxyType", "0"}, {"Proxy Config Script", pac},
                                         {"socksProxy", QJsonValue::Null}, {"NoProxyFor", "localhost,intranet.example"}}},
        {"an exception added", {{"NoProxyFor", exceptions + ",printer.lan"}},
         {{"ProxyType", "2"}, {"Proxy Config Script", pac}, {"socksProxy", QJsonValue::Null},
          {"NoProxyFor", "localhost,intranet.example,printer.lan"}, {"ReversedException", QJsonValue::Null}}},
        {"localhost removed", {{"NoProxyFor", withoutLocalhost.join(',')}},
         {{"ProxyType", "2"}, {"Proxy Config Script", pac}, {"socksProxy", QJsonValue::Null},
          {"NoProxyFor", "intranet.example"}, {"ReversedException", QJsonValue::Null}}},
        // Reversed, the list means the hosts that use the proxy: taken whole as the user left it.
        {"the exceptions reversed", {{"NoProxyFor", exceptions + ",printer.lan"}, {"ReversedException", "true"}},
         {{"ProxyType", "2"}, {"Proxy Config Script", pac}, {"socksProxy", QJsonValue::Null},
          {"NoProxyFor", exceptions + ",printer.lan"}, {"ReversedException", "true"}}},
        // Their own proxy stays in use: the mode that uses it stays too.
        {"a proxy of their own", {{"socksProxy", "socks://other-proxy.example 1080"}},
         {{"ProxyType", "1"}, {"Proxy Config Script", pac},
          {"socksProxy", "socks://other-proxy.example 1080"}, {"NoProxyFor", "localhost,intranet.example"}}},
    });
}

// From no proxy: the user's own HTTP proxy set while connected is in use after (the mode follows
// it as it follows the SOCKS proxy), an exception added leaves the proxy off.
TEST(KdeProxyBackendTest, FromNoProxyTheUsersChangeWhileConnectedStays)
{
    const QByteArray original = "[Proxy Settings]\nProxyType=0\n";
    disableAfterEachEdit(original, {
        {"unedited", {}, {}},
        {"their own HTTP proxy", {{"httpProxy", "http://their-proxy.example 3128"}},
         {{"ProxyType", "1"}, {"httpProxy", "http://their-proxy.example 3128"}, {"socksProxy", QJsonValue::Null},
          {"NoProxyFor", QJsonValue::Null}}},
        {"an exception added", {{"NoProxyFor", kExceptions.join(',') + ",printer.lan"}},
         {{"ProxyType", "0"}, {"socksProxy", QJsonValue::Null}, {"NoProxyFor", "printer.lan"}}},
    });
}

TEST(KdeProxyBackendTest, RefusesTamperedSnapshots)
{
    QTemporaryDir dir;
    KdeProxyBackend backend(dir.filePath("kioslaverc"));
    EXPECT_FALSE(backend.isValidSnapshot({{"ProxyType", "1\n[Other]\nEvil=1"}}));
    EXPECT_FALSE(backend.isValidSnapshot({{"SomeOtherKey", "1"}}));
    EXPECT_FALSE(backend.isValidSnapshot({}));
    EXPECT_FALSE(backend.restoreSnapshot({{"ProxyType", 1}}).isEmpty());
    EXPECT_FALSE(QFile::exists(dir.filePath("kioslaverc")));
}

// Fails every apply after writing half of it, as a backend that dies midway would.
class HalfFailingBackend : public FileProxyBackend
{
public:
    using FileProxyBackend::FileProxyBackend;
    QString apply(const ProxySettings &settings) override
    {
        FileProxyBackend::apply(settings);
        return QStringLiteral("dconf went away");
    }
};

TEST(ProxyConfigServiceTest, FailedChangePutsTheUsersSettingsBack)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("settings.json");
    ProxySettings own;
    own.mode = ProxySettings::Mode::Auto;
    own.autoconfigUrl = "http://wpad.example/proxy.pac";
    FileProxyBackend plain(path);
    ASSERT_TRUE(plain.apply(own).isEmpty());

    HalfFailingBackend backend(path);
    SavedProxyState state(dir.filePath("state"));
    ProxyConfigService service(backend, state, "1.0");
    EXPECT_EQ(service.enableProxy(9999, 9999, {}, {}, true, kExceptions), "dconf went away");
    QString error;
    EXPECT_EQ(plain.read(&error), own);
    EXPECT_FALSE(state.exists());
}

// Reads the store as the file backend does, but not the next time after an apply, as a store
// that stops answering right after a change would.
class BlindAfterApplyBackend : public FileProxyBackend
{
public:
    using FileProxyBackend::FileProxyBackend;
    std::optional<QJsonObject> snapshot(QString *error) override
    {
        if (std::exchange(m_blind, false)) {
            *error = QStringLiteral("dconf did not answer");
            return std::nullopt;
        }
        return FileProxyBackend::snapshot(error);
    }
    QString apply(const ProxySettings &settings) override
    {
        m_blind = blindAfterApply;
        return FileProxyBackend::apply(settings);
    }
    bool blindAfterApply = false;

private:
    bool m_blind = false;
};

// An enable whose result cannot be read back still succeeds, and its restore writes the saved
// copy back as a helper that records nothing did, not judged against an earlier enable's record.
TEST(ProxyConfigServiceTest, AnEnableThatCannotBeReadBackRestoresAsBefore)
{
    QTemporaryDir dir;
    BlindAfterApplyBackend backend(dir.filePath("settings.json"));
    ProxySettings own;
    own.mode = ProxySettings::Mode::Auto;
    own.autoconfigUrl = "http://wpad.example/proxy.pac";
    ASSERT_TRUE(backend.apply(own).isEmpty());
    SavedProxyState state(dir.filePath("state"));
    ProxyConfigService service(backend, state, "1.0");

    ASSERT_TRUE(service.enableProxy(9999, 9999, {}, {}, true, kExceptions).isEmpty());
    backend.blindAfterApply = true;
    EXPECT_TRUE(service.enableProxy(9998, 9998, {}, {}, true, kExceptions).isEmpty());
    backend.blindAfterApply = false;
    QString error;
    ASSERT_EQ(backend.read(&error)->socksPort, 9998);

    EXPECT_TRUE(service.disableProxy(true).isEmpty());
    EXPECT_EQ(backend.read(&error), own);
    EXPECT_FALSE(state.exists());
}

TEST(ProxyConfigServiceTest, RestoreWritesTheGivenSettingsAndForgetsTheSavedOnes)
{
    QTemporaryDir dir;
    FileProxyBackend backend(dir.filePath("settings.json"));
    SavedProxyState state(dir.filePath("state"));
    ProxyConfigService service(backend, state, "1.0");
    ASSERT_TRUE(service.enableProxy(9999, 9999, {}, "223.5.5.5", true, kExceptions).isEmpty());
    QString error;
    EXPECT_EQ(service.currentProxySetting(&error)->value("dns_server").toString(), "223.5.5.5");

    const QJsonObject info = {{"mode", "manual"}, {"socks_host", "10.1.2.3"}, {"socks_port", 1080}};
    const ProxyConfigService::Reply reply = service.call(HelperProtocol::kRestoreProxy, {{"currentPort", 9999}, {"socksPort", 9999}, {"info", info}});
    EXPECT_TRUE(reply.error.isEmpty()) << reply.error.toStdString();
    EXPECT_FALSE(state.exists());
    const std::optional<ProxySettings> now = backend.read(&error);
    ASSERT_TRUE(now);
    EXPECT_EQ(now->socksHost, "10.1.2.3");
    EXPECT_TRUE(service.disableProxy(true).isEmpty());
    EXPECT_EQ(backend.read(&error)->socksHost, "10.1.2.3") << "nothing of ours is left to undo";
}

// A store that goes away half-way through a restore, as gsettings does when the session bus goes
// during the restore at logout.
class CutShortBackend : public FaultyFileBackend
{
public:
    explicit CutShortBackend(const QString &path)
        : FaultyFileBackend(path)
    {
        failure = QStringLiteral("gsettings set failed for org.gnome.system.proxy mode: the bus went away");
    }
};

ProxySettings noProxy()
{
    ProxySettings settings;
    settings.ignoreHosts = {"localhost"};
    return settings;
}

// The next start finishes a restore cut short as it was decided: the half it wrote is not the
// user's change, so the mode the user had comes back with the rest.
TEST(ProxyConfigServiceTest, ARestoreCutShortIsFinishedAsDecided)
{
    QTemporaryDir dir;
    CutShortBackend backend(dir.filePath("settings.json"));
    ASSERT_TRUE(backend.apply(noProxy()).isEmpty());
    SavedProxyState state(dir.filePath("state"));
    {
        ProxyConfigService service(backend, state, "1.0");
        ASSERT_TRUE(service.enableProxy(9999, 9999, {}, {}, true, kExceptions).isEmpty());
        backend.cutShort = true;
        EXPECT_FALSE(service.disableProxy(true).isEmpty());
        EXPECT_TRUE(state.exists());
    }
    FileProxyBackend next(dir.filePath("settings.json"));
    ProxyConfigService service(next, state, "1.0");
    EXPECT_TRUE(service.restoreLeftover().isEmpty());
    QString error;
    EXPECT_EQ(next.read(&error), noProxy());
    EXPECT_FALSE(state.exists());
}

// The file store in a folder of the case's own, with the helper's saved state beside it.
struct FileDesktop
{
    QTemporaryDir dir;
    FileProxyBackend backend{dir.filePath("settings.json")};
    SavedProxyState state{dir.filePath("state")};
};

// An enable as the client asks for it: the listener at 9999, the client's exceptions.
QString enableTheListener(ProxyConfigService &service)
{
    return service.enableProxy(9999, 9999, {}, {}, true, kExceptions);
}

// Whether any key of the desktop still says where the client's listener is: read here by value, not
// by the daemon's own test of it, which the cases below check.
bool namesTheListener(ProxyBackend &backend)
{
    QString error;
    const std::optional<ProxySettings> settings = backend.read(&error);
    return !settings || settings->socksPort == 9999 || settings->httpPort == 9999 || !settings->socksHost.isEmpty()
        || !settings->httpHost.isEmpty();
}

// A copy found damaged at a second enable refuses that enable; the one after saves no copy of the
// client's own listener, which the desktop still shows, as the user's.
TEST(ProxyConfigServiceTest, ADamagedCopyAtASecondEnableNeverLeadsBackToTheListener)
{
    FileDesktop desktop;
    ASSERT_TRUE(desktop.backend.apply(noProxy()).isEmpty());
    ProxyConfigService service(desktop.backend, desktop.state, "1.0");
    ASSERT_TRUE(enableTheListener(service).isEmpty());
    writeAll(desktop.state.filePath(), "{\"backend\": \"file\", \"snap");

    const QString refused = enableTheListener(service);
    EXPECT_TRUE(refused.contains("damaged")) << refused.toStdString();
    EXPECT_TRUE(QFile::exists(desktop.state.filePath() + ".damaged"));
    EXPECT_TRUE(namesTheListener(desktop.backend));

    ASSERT_TRUE(enableTheListener(service).isEmpty());
    EXPECT_TRUE(service.disableProxy(true).isEmpty());
    EXPECT_FALSE(namesTheListener(desktop.backend));
    QString error;
    EXPECT_EQ(desktop.backend.read(&error)->mode, ProxySettings::Mode::None);
}

// With no copy of the user's and the desktop already on the listener (a killed client's, by
// 127.0.0.1 or by name), the restore gives back no proxy rather than the dead listener.
TEST(ProxyConfigServiceTest, AnEnableThatMeetsTheListenerKeepsNoCopyOfIt)
{
    for (const char *host : {"127.0.0.1", "localhost", "::1"}) {
        FileDesktop desktop;
        ProxySettings dead = ProxySettings::forLocalListener(9999, 9999, {}, kExceptions);
        dead.socksHost = host;
        ASSERT_TRUE(desktop.backend.apply(dead).isEmpty());
        ProxyConfigService service(desktop.backend, desktop.state, "1.0");
        ASSERT_TRUE(enableTheListener(service).isEmpty());
        EXPECT_TRUE(service.disableProxy(true).isEmpty());
        EXPECT_FALSE(namesTheListener(desktop.backend)) << host;
    }
}

// Wherever the store names the listener an enable sets (at its port, whichever that is), by
// whatever name of loopback, in a field that says where traffic goes, the enable keeps no copy of
// it as the user's: the restore gives back the store's "no proxy". A proxy of the user's own on
// loopback at another port is theirs.
TEST(ProxyConfigServiceTest, AListenerNamedInAnyFieldIsNeverKeptAsTheUsersSetting)
{
    struct Row
    {
        const char *name;
        QByteArray lines; // the proxy group before the enable
        QString pac;      // the enable's PAC address
        bool listener;    // whether the lines name the listener
    };
    const Row rows[] = {
        {"SOCKS", "ProxyType=1\nsocksProxy=socks://127.0.0.1 10808\n", {}, true},
        {"HTTP alone", "ProxyType=1\nhttpProxy=http://[::1] 10808\n", {}, true},
        {"HTTPS alone", "ProxyType=1\nhttpsProxy=http://localhost 10808\n", {}, true},
        {"the enable's PAC address alone", "ProxyType=2\nProxy Config Script=file:///run/ostrel/proxy.pac\n",
         "file:///run/ostrel/proxy.pac", true},
        {"a PAC address the listener serves", "ProxyType=2\nProxy Config Script=http://127.0.0.2:10808/proxy.pac\n", {}, true},
        {"their own proxy on loopback", "ProxyType=1\nhttpProxy=http://127.0.0.1 3128\nhttpsProxy=http://127.0.0.1 3129\n", {},
         false},
    };
    for (const Row &row : rows) {
        QTemporaryDir dir;
        const QString path = dir.filePath("kioslaverc");
        const QByteArray original = "[Proxy Settings]\n" + row.lines;
        writeAll(path, original);
        KdeProxyBackend backend(path);
        SavedProxyState state(dir.filePath("state"));
        ProxyConfigService service(backend, state, "1.0");
        ASSERT_TRUE(service.enableProxy(10808, 10808, row.pac, {}, true, kExceptions).isEmpty()) << row.name;
        ASSERT_TRUE(service.disableProxy(true).isEmpty()) << row.name;
        if (!row.listener) {
            EXPECT_EQ(readAll(path), original) << row.name;
            continue;
        }
        QString error;
        EXPECT_EQ(backend.snapshot(&error), backend.noProxySnapshot()) << row.name << "\n" << readAll(path).constData();
    }
}

// A record of the enable in a shape no helper writes is a damaged copy: set aside and reported,
// not read as "the user changed everything", which would drop the copy unseen.
TEST(ProxyConfigServiceTest, AnAppliedRecordThatIsNotAnObjectIsSetAside)
{
    FileDesktop desktop;
    ASSERT_TRUE(desktop.backend.apply(ProxySettings::forLocalListener(9999, 9999, {}, kExceptions)).isEmpty());
    ASSERT_TRUE(QDir().mkpath(desktop.dir.filePath("state")));
    const QJsonObject copy = {{"backend", "file"},
                              {"snapshot", QJsonObject{{"exists", true}, {"content", noProxy().toJson()}}},
                              {"applied", 5}};
    writeAll(desktop.state.filePath(), QJsonDocument(copy).toJson());

    ProxyConfigService service(desktop.backend, desktop.state, "1.0");
    const QString error = service.restoreLeftover();
    EXPECT_TRUE(error.contains("damaged")) << error.toStdString();
    EXPECT_TRUE(QFile::exists(desktop.state.filePath() + ".damaged"));
}

// A store that cannot be read at the restore (a hand edit left unfinished) does not hold the
// copy for ever: it is written back whole, as it was before restores compared anything.
TEST(ProxyConfigServiceTest, AStoreUnreadableAtTheRestoreGetsTheCopyBack)
{
    FileDesktop desktop;
    ASSERT_TRUE(desktop.backend.apply(noProxy()).isEmpty());
    ProxyConfigService service(desktop.backend, desktop.state, "1.0");
    ASSERT_TRUE(enableTheListener(service).isEmpty());
    writeAll(desktop.dir.filePath("settings.json"), "{\"mode\": \"man");

    EXPECT_TRUE(service.disableProxy(true).isEmpty());
    QString error;
    EXPECT_EQ(desktop.backend.read(&error), noProxy());
    EXPECT_FALSE(desktop.state.exists());
}

} // namespace
